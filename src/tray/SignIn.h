#pragma once
// Whether Windows starts the program when the user signs in. The backend keeps the entry in the
// user's Run key (win32::RunKeyEntry); tests fake it.

namespace tray {

class SignInEntry {
 public:
  virtual ~SignInEntry() = default;
  // True when the entry exists, starts this copy of the program and has not been disabled (for
  // example in Task Manager's start-up list).
  virtual bool enabled() = 0;
  // Writes the entry (lifting a disable) or removes it. False when the system refused.
  virtual bool setEnabled(bool on) = 0;
};

}  // namespace tray
