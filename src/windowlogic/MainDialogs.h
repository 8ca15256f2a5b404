#pragma once

#include "core/game/FSVersion.h"
#include "core/modfolders/ModFolder.h"

#include <optional>

class QWidget;

namespace tilvane {

// The dialogs the main window and its buttons open for editing: settings,
// a new or changed mod folder, the button file, the developer listing.
// Each is shown modally, owned by AOwner, and gone when the call returns.
class IMainDialogs {
public:
  virtual ~IMainDialogs() = default;

  // True when the player pressed OK.
  virtual bool ShowSettings(QWidget* AOwner) = 0;
  // The folder the player described, or nothing when cancelled.
  virtual std::optional<TModFolder> NewModFolder(QWidget* AOwner, TFSVersion AFSVersion) = 0;
  // AModFolder changed in place when the player pressed OK (then true).
  virtual bool EditModFolder(QWidget* AOwner, TFSVersion AFSVersion, TModFolder& AModFolder) = 0;
  virtual void ExportModFolder(QWidget* AOwner, TFSVersion AFSVersion,
                               const TModFolder& AModFolder) = 0;
  virtual void ShowDeveloperInfo(QWidget* AOwner) = 0;
};

} // namespace tilvane
