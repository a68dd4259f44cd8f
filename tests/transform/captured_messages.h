// The message routines for the native tests: every message is recorded with
// its text (the template formatted with the line number), caption and flags.
#ifndef ORTK232_TESTS_TRANSFORM_CAPTURED_MESSAGES_H
#define ORTK232_TESTS_TRANSFORM_CAPTURED_MESSAGES_H

#include <string>
#include <vector>

struct CapturedMessage {
    std::string text;
    std::string caption;
    unsigned flags;
};

std::vector<CapturedMessage> &CapturedMessages();

// Writes content to a fresh file under the test's temporary folder and
// returns its path.
std::string WriteTempFile(const std::string &name, const std::string &content);
std::string ReadWholeFile(const std::string &path);

#endif
