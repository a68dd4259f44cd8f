#include "splash/banner_text.h"

#include <cstring>

const char kMakerTitlePrefix[] = "Veltrane ";

namespace {

// Appends texts to a fixed buffer, keeping whole characters only; once a
// piece does not fit, everything after it is dropped.
class TextBuilder {
  public:
    TextBuilder(char *buffer, std::size_t size, LeadBytePredicate isLeadByte)
        : buffer_(buffer), size_(size), isLeadByte_(isLeadByte) {
        if (size_ > 0)
            buffer_[0] = '\0';
    }

    void Append(const char *text) {
        if (text == nullptr)
            return;
        for (const char *p = text; *p != '\0' && !full_;) {
            std::size_t width = 1;
            if (isLeadByte_ != nullptr && isLeadByte_(static_cast<unsigned char>(*p)) &&
                p[1] != '\0')
                width = 2;
            if (length_ + width + 1 > size_) {
                full_ = true;
                break;
            }
            std::memcpy(buffer_ + length_, p, width);
            length_ += width;
            buffer_[length_] = '\0';
            p += width;
        }
    }

  private:
    char *buffer_;
    std::size_t size_;
    LeadBytePredicate isLeadByte_;
    std::size_t length_ = 0;
    bool full_ = false;
};

} // namespace

bool IsHalcyraProduct(const char *productName) {
    return productName != nullptr && std::strstr(productName, "Halcyra") != nullptr;
}

bool IsNoUserName(const char *userName) {
    return userName != nullptr && (userName[0] == 'x' || userName[0] == 'X') && userName[1] == '\0';
}

void ComposeBannerTitle(char *title, std::size_t size, bool halcyra, const char *productName,
                        const char *version, LeadBytePredicate isLeadByte) {
    TextBuilder builder(title, size, isLeadByte);
    if (!halcyra)
        builder.Append(kMakerTitlePrefix);
    builder.Append(productName);
    builder.Append(" ");
    builder.Append(version);
}

void ComposeUserLine(char *line, std::size_t size, const char *userName,
                     LeadBytePredicate isLeadByte) {
    TextBuilder builder(line, size, isLeadByte);
    builder.Append("User:   ");
    builder.Append(userName);
}
