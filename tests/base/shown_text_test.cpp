// What a message shows of a text from outside: every character that could
// break the line, act on the terminal or hide itself is written as an escape
// a reader can see; everything else is kept as it is.
#include <gtest/gtest.h>

#include <string>

#include "base/shown_text.h"

namespace {

TEST(ShownText, EscapesWhatCannotBeSeenForWhatItIsAndKeepsTheRest) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"plain name.png", "'plain name.png'"},
        {"a\nb\tc\rd", "'a\\nb\\tc\\rd'"},
        {"back\\slash", "'back\\\\slash'"},
        {"\x1b[2J\x07\x7f", "'\\x1b[2J\\x07\\x7f'"},
        {std::string("nul\0byte", 8), "'nul\\x00byte'"},
        {"caf\xc3\xa9 \xe2\x86\x92 \xf0\x9f\x98\x80",
         "'caf\xc3\xa9 \xe2\x86\x92 \xf0\x9f\x98\x80'"},
        {"\xc2\x9b"
         "31m",
         "'\\xc2\\x9b31m'"},                    // C1 control in UTF-8
        {"\xff\xfe", "'\\xff\\xfe'"},           // not UTF-8
        {"\xc0\xaf", "'\\xc0\\xaf'"},           // overlong form
        {"\xed\xa0\x80", "'\\xed\\xa0\\x80'"},  // surrogate
        {"\xe2\x82", "'\\xe2\\x82'"},           // cut short
        {"\xef\xbb\xbf"
         "1",
         "'\\u{feff}1'"},  // byte order mark
        {"1\xe2\x80\x8b"
         "2",
         "'1\\u{200b}2'"},  // zero-width space
        {"1\xc2\xa0"
         "2",
         "'1\\u{a0}2'"},  // no-break space
        {"\xe2\x80\xae"
         "fdp.exe",
         "'\\u{202e}fdp.exe'"},                // right-to-left override
        {"\xe2\x81\xa6", "'\\u{2066}'"},       // left-to-right isolate
        {"\xe3\x80\x80", "'\\u{3000}'"},       // ideographic space
        {"\xef\xb8\x8f", "'\\u{fe0f}'"},       // variation selector
        {"\xef\xbf\xbf", "'\\u{ffff}'"},       // non-character
        {"\xee\x80\x80", "'\\u{e000}'"},       // private use
        {"\xf3\xa0\x81\x81", "'\\u{e0041}'"},  // tag letter
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shown(c.text), c.shown) << escapedText(c.text);
        EXPECT_EQ("'" + escapedText(c.text) + "'", c.shown);
    }
}

TEST(ShownText, ALongTextIsCutBeforeTheCharacterThatWouldPassTheLimit) {
    const struct {
        std::string text;
        std::size_t longest;
        std::string shown;
    } cases[] = {
        {"abcdef", 0, "'abcdef'"},
        {"abcdef", 6, "'abcdef'"},
        {"abcdef", 4, "'abcd...'"},
        {"ab\x1b"
         "cd",
         5, "'ab...'"},                            // the escape \x1b does not fit
        {"\xc3\xa9\xc3\xa9", 3, "'\xc3\xa9...'"},  // nor half a character
        {"a\xe2\x80\xae", 6, "'a...'"},
        {std::string(100000, 'x'), 80, "'" + std::string(80, 'x') + "...'"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(c.text, c.longest), c.shown) << c.longest;
}

}  // namespace
