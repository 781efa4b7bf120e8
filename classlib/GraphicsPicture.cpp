// TPicture: one graphic of any registered class, file formats by extension, the "Data" property.
#include <mutex>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

namespace {
struct TFileFormat {
  std::string Extension;  // lower case, without dot
  std::string Description;
  TGraphicClass Class;
};

TCriticalSection& FormatsLock() {
  static TCriticalSection M;
  return M;
}

// Most recent registration first.
std::vector<TFileFormat>& Formats() {
  static std::vector<TFileFormat> List = {
      {"bmp", "Bitmaps", TGraphicClass::Of<TBitmap>()},
      {"ico", "Icons", TGraphicClass::Of<TIcon>()},
      {"emf", "Enhanced Metafiles", TGraphicClass::Of<TMetafile>()},
      {"wmf", "Metafiles", TGraphicClass::Of<TMetafile>()},
  };
  return List;
}

std::string NormalExtension(const std::string& Extension) {
  std::string E = Extension;
  if (!E.empty() && E[0] == '.') E.erase(0, 1);
  return LowerCase(E);
}
}  // namespace

VD_DEFINE_CLASS(TPicture) {}

TPicture::~TPicture() {
  if (FGraphic) FGraphic->Free();
}

void TPicture::AdoptGraphic(TGraphic* ANew) {
  TGraphic* Old = FGraphic;
  FGraphic = ANew;
  if (ANew) {
    ANew->OnChange = MakeEvent<&TPicture::GraphicChanged>(this);
    ANew->OnProgress = MakeEvent<&TPicture::GraphicProgress>(this);
  }
  if (Old && Old != ANew) Old->Free();
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic) return;
  if (!Value) {
    AdoptGraphic(nullptr);
    return;
  }
  TObjectPtr<TGraphic> Copy(TGraphicClass(Value->ClassType()).Create());
  Copy->Assign(Value);
  AdoptGraphic(Copy.release());
}

template <class T> T* TPicture::ForceGraphic() {
  if (auto* G = dynamic_cast<T*>(FGraphic)) return G;
  T* New = T::Create();
  AdoptGraphic(New);
  return New;
}

TBitmap* TPicture::Bitmap() { return ForceGraphic<TBitmap>(); }
TIcon* TPicture::Icon() { return ForceGraphic<TIcon>(); }
TMetafile* TPicture::Metafile() { return ForceGraphic<TMetafile>(); }

void TPicture::Assign(TPersistent* Source) {
  if (!Source) SetGraphic(nullptr);
  else if (auto* P = dynamic_cast<TPicture*>(Source)) SetGraphic(P->FGraphic);
  else if (auto* G = dynamic_cast<TGraphic*>(Source)) SetGraphic(G);
  else inherited::Assign(Source);
}

void TPicture::Changed(TObject*) { OnChange(this); }

void TPicture::GraphicChanged(TObject* Sender) { Changed(Sender); }

void TPicture::GraphicProgress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone,
                               bool RedrawNow, const TRect& R, const std::string& Msg) {
  OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string Ext = NormalExtension(ExtractFileExt(FileName));
  TGraphicClass Class = FileFormatClass(Ext);
  if (!Class) throw EInvalidGraphic("Unknown picture file extension (." + Ext + ")");
  TObjectPtr<TGraphic> New(Class.Create());
  New->LoadFromFile(FileName);
  AdoptGraphic(New.release());
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  TGraphicClass AGraphicClass) {
  if (!AGraphicClass) return;
  std::lock_guard<TCriticalSection> Guard(FormatsLock());
  auto& List = Formats();
  List.insert(List.begin(), TFileFormat{NormalExtension(Extension), Description, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AGraphicClass) {
  std::lock_guard<TCriticalSection> Guard(FormatsLock());
  auto& List = Formats();
  std::erase_if(List, [&](const TFileFormat& F) { return F.Class->InheritsFrom(AGraphicClass); });
}

TGraphicClass TPicture::FileFormatClass(const std::string& Extension) {
  std::string Ext = NormalExtension(Extension);
  std::lock_guard<TCriticalSection> Guard(FormatsLock());
  for (const TFileFormat& F : Formats())
    if (F.Extension == Ext) return F.Class;
  return nullptr;
}

std::string TPicture::GraphicFilter(TGraphicClass AGraphicClass) {
  std::lock_guard<TCriticalSection> Guard(FormatsLock());
  std::string Filter;
  for (const TFileFormat& F : Formats()) {
    if (!F.Class->InheritsFrom(AGraphicClass)) continue;
    if (!Filter.empty()) Filter += "|";
    Filter += F.Description + " (*." + F.Extension + ")|*." + F.Extension;
  }
  return Filter;
}

TGraphicClass TPicture::FindGraphicClass(const std::string& ClassName) {
  {
    std::lock_guard<TCriticalSection> Guard(FormatsLock());
    for (const TFileFormat& F : Formats())
      if (SameText(F.Class->ClassName(), ClassName)) return F.Class;
  }
  for (TClass C : {ClassOf<TBitmap>(), ClassOf<TIcon>(), ClassOf<TMetafile>()})
    if (SameText(C->ClassName(), ClassName)) return TGraphicClass(C);
  TClass C = GetClass(ClassName);
  if (C && C->InheritsFrom(ClassOf<TGraphic>()) && C->CanCreate()) return TGraphicClass(C);
  return nullptr;
}

// ---- "Data" -------------------------------------------------------------------------------------

bool TPicture::DataDiffersFrom(TPersistent* Ancestor) const {
  if (auto* A = dynamic_cast<TPicture*>(Ancestor)) {
    TGraphic* Theirs = A->FGraphic;
    if (Theirs == FGraphic) return false;
    if (!Theirs || !FGraphic) return true;
    return !FGraphic->Equals(Theirs);
  }
  return FGraphic != nullptr;
}

void TPicture::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Data", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); },
      DataDiffersFrom(Filer->Ancestor()));
}

void TPicture::ReadData(TStream& Stream) {
  uint8_t Length = 0;
  Stream.ReadBuffer(&Length, 1);
  if (Length == 0) {
    AdoptGraphic(nullptr);
    return;
  }
  std::string Name(Length, '\0');
  Stream.ReadBuffer(Name.data(), Length);
  TGraphicClass Class = FindGraphicClass(Name);
  if (!Class) throw EInvalidGraphic("Unknown picture class " + Name);
  TObjectPtr<TGraphic> New(Class.Create());
  New->ReadData(Stream);
  AdoptGraphic(New.release());
}

void TPicture::WriteData(TStream& Stream) {
  std::string Name = FGraphic ? FGraphic->ClassName() : std::string();
  auto Length = static_cast<uint8_t>(std::min<size_t>(Name.size(), 255));
  Stream.WriteBuffer(&Length, 1);
  if (!FGraphic) return;
  Stream.WriteBuffer(Name.data(), Length);
  FGraphic->WriteData(Stream);
}
