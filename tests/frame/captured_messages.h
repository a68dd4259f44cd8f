// Captures the library's message boxes instead of showing them.
#ifndef ORTK232_TESTS_FRAME_CAPTURED_MESSAGES_H
#define ORTK232_TESTS_FRAME_CAPTURED_MESSAGES_H

#include <windows.h>

#include <string>
#include <vector>

struct CapturedMessage {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
};

// While alive, every box the library would show is recorded in messages().
class MessageCapture {
  public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;
    const std::vector<CapturedMessage> &messages() const;
};

#endif
