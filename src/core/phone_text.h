#pragma once
// US phone numbers as the client shows them everywhere: stored as digits,
// shown "(614) 555-0166", an extension after " x". Letters count as their
// keypad digits, as on a telephone.

#include <string>
#include <string_view>

namespace dalvero {

// The keypad digit of a letter (ABC 2 ... WXYZ 9, either case); 0 for any
// other character.
char KeypadDigit(char letter);

// The digits of a field's or pasted text, letters counted as keypad digits;
// an "x" right after the tenth digit marks the extension and is dropped.
std::string PhoneDigits(std::string_view text);

// "(" before digit 1, ") " before digit 4, "-" before digit 7 and " x" before
// digit 11, each only when the number reaches that far.
std::string FormatPhone(std::string_view digits);

// A stored number as lists and labels show it: "(614) 555-0166" when it holds
// a whole number (ten digits and at most six of an extension); anything else
// (a local number, a note typed into the field) as it is stored, since a
// partial format would make a wrong number look right.
std::string PhoneDisplayText(std::string_view stored);

}  // namespace dalvero
