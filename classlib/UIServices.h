// UIServices: the one door through which the class library runs everything modal.
//
// A form's ShowModal, the open-file and colour dialogs' Execute, Application->MessageBox, a popup
// menu's Popup and the application's default exception report all end in a call on the current
// TUIServices object. The default object does the real thing (a modal message loop, the system
// dialogs, TrackPopupMenu, MessageBoxA); a program or a test installs another one with
// SetUIServices to replace any of them, so code that shows dialogs is written the ordinary way
// (`Dialog->ShowModal()`, `OpenDialog->Execute()`) and still runs under a script:
//
//   class TScripted : public TUIServices {
//     void RunModal(TCustomForm& Form) override { Form.Show(); /* drive it */ Form.SetModalResult(mrOk); }
//   } Scripted;
//   TUIServices* Saved = SetUIServices(&Scripted);
//   ...
//   SetUIServices(Saved);
//
// The object is process-wide (one UI thread uses it at a time); it is not owned by the library.
#pragma once

#include <windows.h>

#include <string>

#undef MessageBox  // the Win32 macro; call MessageBoxA for the Win32 function

class Exception;
class TCustomForm;
class TOpenDialog;
class TColorDialog;
class TPopupMenu;
class TMenuItem;

class TUIServices {
public:
  virtual ~TUIServices() = default;

  // The modal part of Form.ShowModal(): returns once the form's ModalResult is set and the form
  // agreed to close (TCustomForm::CloseModal), leaving the form hidden. The default runs the real
  // loop (TCustomForm::ModalLoop): the thread's other windows disabled, messages handled.
  virtual void RunModal(TCustomForm& Form);
  // A message box owned by Owner; without one (nil or no longer a window) by the calling thread's
  // active window. Returns the button (IDOK, ...).
  virtual int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags, HWND Owner);
  // The system dialogs of TOpenDialog::Execute and TColorDialog::Execute; true when confirmed,
  // with the dialog's FileName or Color set to the choice.
  virtual bool ExecuteOpenDialog(TOpenDialog& Dialog);
  virtual bool ExecuteColorDialog(TColorDialog& Dialog);
  // Shows Menu at the screen point and returns the item chosen (nil when none). Popup clicks it.
  virtual TMenuItem* TrackPopupMenu(TPopupMenu& Menu, int X, int Y);
  // The application's report of an exception nobody handled (TApplication::ShowException). The
  // default writes it to the debugger output: the library also runs inside other programs'
  // processes (the shell), where no box may appear.
  virtual void ShowException(Exception& E);
};

// The window that a system dialog or message box belongs to: the calling thread's active
// window, else the application's.
HWND ModalOwnerWindow();

// The current services (the default ones unless a program installed others).
TUIServices& UIServices();
// Installs Services (nil: the default ones) and returns the ones installed before (nil when those
// were the default).
TUIServices* SetUIServices(TUIServices* Services);
