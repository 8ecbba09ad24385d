// The clipboard as the editor sees it: text, and whether that text is a rectangular block.
//
// The editor model knows no platform; the widget hands it an implementation over the desktop's
// clipboard, which marks box blocks with a format of the program's own. `MemoryClipboard` keeps
// the text in memory, for an editor without a widget and for tests.
#pragma once

#include <string>
#include <string_view>

namespace namitra::editor {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool hasText() const = 0;
  virtual std::string text() const = 0;
  // True when the text on the clipboard was copied from a box selection.
  virtual bool holdsBox() const = 0;
  virtual void setText(std::string_view text, bool box) = 0;
};

class MemoryClipboard final : public Clipboard {
 public:
  bool hasText() const override { return m_hasText; }
  std::string text() const override { return m_text; }
  bool holdsBox() const override { return m_hasText && m_box; }
  void setText(std::string_view text, bool box) override {
    m_text = text;
    m_box = box;
    m_hasText = true;
  }

 private:
  std::string m_text;
  bool m_box = false;
  bool m_hasText = false;
};

}  // namespace namitra::editor
