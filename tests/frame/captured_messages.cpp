#include "tests/frame/captured_messages.h"

#include "frame/message_box.h"

#include <mutex>

namespace {

std::mutex g_capturedMutex;
std::vector<CapturedMessage> g_captured;

int WINAPI CaptureMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    std::lock_guard<std::mutex> lock(g_capturedMutex);
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
    std::lock_guard<std::mutex> lock(g_capturedMutex);
    g_captured.clear();
    SetMessageBoxFunction(CaptureMessageBox);
}

MessageCapture::~MessageCapture() {
    SetMessageBoxFunction(nullptr);
}

std::vector<CapturedMessage> MessageCapture::messages() const {
    std::lock_guard<std::mutex> lock(g_capturedMutex);
    return g_captured;
}
