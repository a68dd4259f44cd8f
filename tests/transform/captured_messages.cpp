#include "tests/transform/captured_messages.h"

#include "frame/messages.h"
#include "frame/string_table.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <unistd.h>

std::vector<CapturedMessage> &CapturedMessages() {
    static std::vector<CapturedMessage> messages;
    return messages;
}

void ShowMessage(unsigned textId, unsigned captionId, unsigned flags) {
    CapturedMessages().push_back({LibraryString(textId), LibraryString(captionId), flags});
}

void ShowLineError(unsigned templateId, long number) {
    std::string text = LibraryString(templateId);
    const std::size_t at = text.find("%li");
    if (at != std::string::npos)
        text.replace(at, 3, std::to_string(number));
    CapturedMessages().push_back({text, LibraryString(IDS_READ_CONTROL_POINTS), kMessageOk});
}

std::string WriteTempFile(const std::string &name, const std::string &content) {
    // One name per process: test runs of other builds may share the folder.
    const std::string path =
        testing::TempDir() + "ortk_transform_" + std::to_string(getpid()) + "_" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return path;
}

std::string ReadWholeFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
