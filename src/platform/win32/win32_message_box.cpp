#include "platform/win32/win32_message_box.h"

#include "platform/win32/wide_text.h"

void Win32MessageBox::show(const std::string& text, const std::string& title, int)
{
    // A box owned by a hidden or minimised window would be hidden with it,
    // and a failure at night would wait unseen: it then stands alone.
    const bool ownerShown = m_owner && ::IsWindowVisible(m_owner) && !::IsIconic(m_owner);
    ::MessageBoxW(ownerShown ? m_owner : nullptr, Wide::fromUtf8(text).c_str(), Wide::fromUtf8(title).c_str(), MB_OK);
}
