#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

// The one writer of JSON values the tools and the page share. JSON has no
// infinities or NaN: a number that is not finite is written as null.

// Nine significant digits ("%.9g"), which read back to the same float;
// infinities and NaN as printf writes them. For text meant for people.
std::string nineDigits(double value);

// A number with nine significant digits (a float reads back to the same
// value); null when not finite.
std::string jsonNumber(double value);

// A double with seventeen significant digits, which reads back to the same
// value; null when not finite.
std::string jsonDouble(double value);

// A list of whole numbers.
std::string jsonInts(std::initializer_list<int> values);

// The same list added to the end of `text`, for a writer of many of them.
void appendJsonInts(std::string& text, std::initializer_list<int> values);

// A list of floats, each as jsonNumber.
std::string jsonFloats(std::initializer_list<float> values);

std::string jsonBool(bool value);

// A string: in double quotes, with quotes, backslashes and control
// characters escaped.
std::string jsonText(const std::string& text);

// A list of items, each written by item(element).
template <typename T, typename Item>
std::string jsonList(const std::vector<T>& items, Item item) {
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += ", ";
        text += item(items[i]);
    }
    text += ']';
    return text;
}
