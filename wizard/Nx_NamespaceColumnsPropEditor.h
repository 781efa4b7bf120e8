// The namespace-column property editors: an integer property that holds the index of one of a
// namespace's details columns shows that column's name and offers the columns as "I - name"
// ("0 - Name", "1 - Size", ...). Picking an entry stores its number; a typed number is taken as it
// is, an empty text stores -1 (no column), and any other text is refused ("'12-x' is not a valid
// integer value").
#pragma once

#include "ide/DesignEditors.h"
#include "standins/NxShellViewComponents.h"

// DefSortingColumn and DefDisplayColumn of a TNxNamespaceDetails.
class TNxNamespaceColumnsList : public TIntegerProperty {
  VD_CLASS(TNxNamespaceColumnsList, TIntegerProperty);

public:
  TNxNamespaceColumnsList() = default;
  // The base's attributes and paValueList.
  TPropertyAttributes GetAttributes() override;
  // The column's name; "" for an index that names no column.
  std::string GetValue() override;
  void GetValues(const TGetStrProc& Proc) override;
  void SetValue(const std::string& Value) override;
  // The details whose columns are meant: the first selected component (EInvalidCast when it is no
  // TNxNamespaceDetails).
  virtual TNxNamespaceDetails* GetNamespaceDetails();

private:
  // The details' columns, nil when there are none to offer.
  TShellColumns* Columns();
};

// ColumnName, ColumnSize, ColumnType, ColumnModified and ColumnAttributes of a
// TNxNamespaceCommonColumns: the columns of the details that own it (none without them).
class TNxNamespaceCommonColumnsList : public TNxNamespaceColumnsList {
  VD_CLASS(TNxNamespaceCommonColumnsList, TNxNamespaceColumnsList);

public:
  TNxNamespaceCommonColumnsList() = default;
  TNxNamespaceDetails* GetNamespaceDetails() override;
};

// Registers the two editors for their seven properties.
void Nx_NamespaceColumnsPropEditor_DoRegister();
