// The texts of the splash screen and the About box: which variant a product
// name asks for, the title and the user line. Portable, no Windows headers.
#ifndef ORTK232_SPLASH_BANNER_TEXT_H
#define ORTK232_SPLASH_BANNER_TEXT_H

#include <cstddef>

// Size of the buffers in which the title and the user line are composed,
// terminating zero included.
constexpr std::size_t kBannerTextSize = 1024;

// The maker's words in front of the product name in the default variant.
extern const char kMakerTitlePrefix[];

// Tells whether a byte starts a two-byte character in the ANSI code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

// True when the product name contains "Halcyra" (case-sensitive, anywhere).
// A null name counts as empty.
bool IsHalcyraProduct(const char *productName);

// True when the user name stands for no user: "x" in either case.
bool IsNoUserName(const char *userName);

// The title shown on a box: the maker's prefix (default variant only), the
// product name, a blank and the version text. A title longer than the buffer
// is cut at the last whole character that fits; a two-byte character is never
// split when isLeadByte is given. Null texts count as empty.
void ComposeBannerTitle(char *title, std::size_t size, bool halcyra, const char *productName,
                        const char *version, LeadBytePredicate isLeadByte);

// "User:   " followed by the user name, cut like the title.
void ComposeUserLine(char *line, std::size_t size, const char *userName,
                     LeadBytePredicate isLeadByte);

#endif
