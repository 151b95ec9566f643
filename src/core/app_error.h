#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

// The failure every core function reports: a number for the report's title and a text that says
// what went wrong and what the user can do about it.
enum ErrorNumber : int {
    kErrOverflow = 6,
    kErrBadContent = 13,
    kErrInputPastEnd = 62,
    kErrFileAccess = 75,
};

// The user's text as a message quotes it: in quotes, shortened, with control bytes as dots.
inline std::string ShownInMessage(std::string_view text) {
    std::string s = "\"";
    for (char c : text.substr(0, 40)) s += static_cast<unsigned char>(c) < 32 ? '.' : c;
    return s + (text.size() > 40 ? "...\"" : "\"");
}

class AppError : public std::runtime_error {
  public:
    AppError(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
    int Number() const { return number_; }

  private:
    int number_;
};
