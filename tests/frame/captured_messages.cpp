#include "tests/frame/captured_messages.h"

#include "frame/message_box.h"

namespace {

std::vector<CapturedMessage> g_captured;

int WINAPI CaptureMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    g_captured.push_back({owner, text, caption, flags});
    return IDOK;
}

} // namespace

std::string WindowText(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

MessageCapture::MessageCapture() {
    g_captured.clear();
    SetMessageBoxFunction(CaptureMessageBox);
}

MessageCapture::~MessageCapture() {
    SetMessageBoxFunction(nullptr);
}

std::vector<CapturedMessage> MessageCapture::messages() const {
    return g_captured;
}
