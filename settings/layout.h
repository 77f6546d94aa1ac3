// How the settings window's pages and dialogs follow their size: one table says which control moves
// and which grows with the room; where each control stands comes from the dialog's own template.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace settings {

// A recorded control that needs more pixels of height than its template gives it, for its text.
struct Taller {
    int id;
    int by;
    bool operator==(const Taller&) const = default;
};

// The controls of a dialog as its template placed them, with what each does when the client area grows
// or shrinks.
class DialogLayout {
  public:
    // Takes the places of dialog's controls that the table names for templateId; call it in
    // WM_INITDIALOG, before anything moves them.
    void Record(HWND dialog, int templateId);
    // Places them for the client size now, all in one go. A taller control takes its room from what grows
    // down beside it: one that keeps to the top pushes down the top of what stands below it, one that
    // moves with the bottom pushes up the bottom of what stands above it.
    void Apply(HWND dialog, const std::vector<Taller>& taller = {}) const;
    // Where Apply places a recorded control for the client size now, before any control is taller.
    RECT Placed(HWND dialog, int id) const;
    bool Recorded() const { return designed_.right > 0; }
    // The client area the template designed, and a recorded control's place there, in pixels at the
    // dialog's density now.
    RECT Designed(HWND dialog) const;
    RECT DesignedRect(HWND dialog, int id) const;

  private:
    struct Control {
        int id;
        unsigned how;
        RECT place; // in pixels at scale_
    };
    const Control* Find(int id) const;
    RECT Placed(HWND dialog, const Control& c) const;
    std::vector<Control> controls_;
    RECT designed_{};
    SIZE scale_{}; // pixels of 4 dialog units across and 8 down when recorded
};

// WM_SIZE and WM_GETMINMAXINFO of a resizable dialog that is never smaller than its template; true
// when it handled the message.
bool OnLayoutMessage(HWND dialog, UINT message, LPARAM lParam, const DialogLayout& layout);

// The size of a dialog template's client area, in dialog units; {0, 0} for none.
SIZE TemplateUnits(const DLGTEMPLATE* dialogTemplate);

// A rectangle in a dialog's units, in pixels.
RECT DialogUnits(HWND dialog, int x, int y, int w, int h);

// Texts measured with a dialog's font, in its dialog units; "&" marks a mnemonic, as in a control's text.
class TextMeasure {
  public:
    explicit TextMeasure(HWND dialog);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
    // The width of text on one line.
    int Width(const std::wstring& text) const;
    // The lines text takes when it is broken between words to width.
    int Lines(const std::wstring& text, int width) const;
    // The pixels of height text takes, broken between words at a width of pixels, "&" shown as it is.
    int Height(const std::wstring& text, int pixels) const;

  private:
    HWND dialog_;
    HDC dc_;
    HGDIOBJ oldFont_;
    SIZE scale_;
    int lineHeight_;
};

} // namespace settings
