// Captures the library's message boxes instead of showing them, and reads
// what windows show.
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

// While alive, every box the library would show is recorded in messages()
// instead of being shown.
class MessageCapture {
  public:
    MessageCapture();
    ~MessageCapture();
    std::vector<CapturedMessage> messages() const;
};

// The text of a window or control, up to 2047 characters.
std::string WindowText(HWND window);

#endif
