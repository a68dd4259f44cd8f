// The library's two message routines. This header is portable: the Windows
// library shows message boxes (message_box.cpp); native programs that link
// the portable code supply their own definitions.
#ifndef ORTK232_FRAME_MESSAGES_H
#define ORTK232_FRAME_MESSAGES_H

constexpr unsigned kMessageOk = 0x00;
constexpr unsigned kMessageErrorIcon = 0x10;
constexpr unsigned kMessageWarningIcon = 0x30;

// Loads text and caption from the string table and shows them with the
// given message-box flags, owned by the library's owner window.
void ShowMessage(unsigned textId, unsigned captionId, unsigned flags);

// Formats the template (one %li) with the number and shows it under the
// caption "ReadControlPoints" with an OK button and no icon.
void ShowLineError(unsigned templateId, long number);

#endif
