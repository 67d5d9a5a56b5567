#pragma once

#include <string>
#include <vector>

#include "app/label.h"
#include "platform/win32/owned_handle.h"

namespace Win32 {

// The window's fonts at one dpi, made on first use and deleted with this
// object: "宋体" at 9 points for every control, unless a label names its own
// (the links: underlined).
class ViewFonts final {
public:
    static constexpr const char* kWindowFamily = "宋体";
    static constexpr int kWindowPoints = 9;

    explicit ViewFonts(UINT dpi) : m_dpi(dpi) {}
    ViewFonts(const ViewFonts&) = delete;
    ViewFonts& operator=(const ViewFonts&) = delete;

    UINT dpi() const { return m_dpi; }
    HFONT windowFont() { return fontFor({}); }
    HFONT fontFor(const FontSpec& spec);

private:
    struct Made {
        std::string family;
        int points;
        bool underline;
        OwnedFont font;
    };

    UINT m_dpi;
    std::vector<Made> m_fonts;
};

} // namespace Win32
