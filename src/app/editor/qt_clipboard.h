// The desktop clipboard as the editor model sees it.
//
// Text goes to the clipboard as text/plain (converted for display, so other programs read it)
// and, for a box selection, also under `kBoxMimeType` with the Shift-JIS bytes themselves. A
// clipboard holds a box when that type is present; its bytes are then used as they are, so a
// box survives the round trip byte for byte.
#pragma once

#include <QString>

#include "editor/clipboard.h"

namespace namitra::app {

inline const QString kBoxMimeType = QStringLiteral("application/x-namitra-box-type");

class QtClipboard final : public editor::Clipboard {
 public:
  bool hasText() const override;
  std::string text() const override;
  bool holdsBox() const override;
  void setText(std::string_view text, bool box) override;
};

}  // namespace namitra::app
