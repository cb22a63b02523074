#include "app/win32/Win32ListBox.h"

#include "app/win32/WindowText.h"
#include "base/WideText_windows.h"

namespace vantrel::win32 {

int Win32ListBox::count() const { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }

std::string Win32ListBox::text(int index) const {
    const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return Utf8FromWide(text);
}

void Win32ListBox::setText(int index, std::string_view text) {
    const bool selected = isSelected(index);
    const LRESULT caret = SendMessageW(list_, LB_GETCARETINDEX, 0, 0);
    SendMessageW(list_, LB_DELETESTRING, index, 0);
    SendMessageW(list_, LB_INSERTSTRING, index,
                 reinterpret_cast<LPARAM>(DisplayText(text).c_str()));
    setSelected(index, selected);
    SendMessageW(list_, LB_SETCARETINDEX, caret, FALSE);
}

void Win32ListBox::append(std::string_view text) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DisplayText(text).c_str()));
}

void Win32ListBox::removeAt(int index) { SendMessageW(list_, LB_DELETESTRING, index, 0); }

void Win32ListBox::clear() {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    picked_ = false;
}

bool Win32ListBox::isSelected(int index) const {
    return SendMessageW(list_, LB_GETSEL, index, 0) > 0;
}

void Win32ListBox::setSelected(int index, bool selected) {
    SendMessageW(list_, LB_SETSEL, selected ? TRUE : FALSE, index);
}

int Win32ListBox::currentIndex() const {
    if (!picked_ || count() == 0) return -1;
    return static_cast<int>(SendMessageW(list_, LB_GETCARETINDEX, 0, 0));
}

}  // namespace vantrel::win32
