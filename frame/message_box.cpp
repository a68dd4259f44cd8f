#include "frame/message_box.h"

#include "frame/app.h"
#include "frame/messages.h"
#include "res/resource.h"

namespace {
MessageBoxFunction g_messageBox = nullptr;
}

void SetMessageBoxFunction(MessageBoxFunction function) {
    g_messageBox = function;
}

int ShowLibraryMessageBox(HWND owner, const char *text, const char *caption, UINT flags) {
    return g_messageBox != nullptr ? g_messageBox(owner, text, caption, flags)
                                   : MessageBoxA(owner, text, caption, flags);
}

void LoadLibraryString(UINT id, char (&buffer)[256]) {
    buffer[0] = '\0';
    LoadStringA(g_moduleInstance, id, buffer, sizeof buffer);
}

void ShowStringMessage(HWND owner, UINT textId, UINT captionId, UINT flags) {
    char text[256];
    char caption[256];
    LoadLibraryString(textId, text);
    LoadLibraryString(captionId, caption);
    ShowLibraryMessageBox(owner, text, caption, flags);
}

void ShowMessage(unsigned textId, unsigned captionId, unsigned flags) {
    ShowStringMessage(g_ownerWindow, textId, captionId, flags);
}

void ShowLineError(unsigned templateId, long number) {
    char pattern[256];
    char text[256];
    char caption[256];
    LoadLibraryString(templateId, pattern);
    // wsprintfA writes at most 1024 characters; the templates are short, so
    // format into a larger scratch and keep 255 characters.
    char scratch[1025];
    wsprintfA(scratch, pattern, number);
    lstrcpynA(text, scratch, sizeof text);
    LoadLibraryString(IDS_READ_CONTROL_POINTS, caption);
    ShowLibraryMessageBox(g_ownerWindow, text, caption, kMessageOk);
}
