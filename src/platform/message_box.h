#pragma once

#include <string>

// A modal message box: returns when the operator has closed it.
class MessageBox {
public:
    // Style 0: an OK button only, no icon. The only style the program uses.
    static constexpr int OkOnly = 0;

    virtual ~MessageBox() = default;
    virtual void show(const std::string& text, const std::string& title, int style) = 0;
};
