#pragma once
#include <stdexcept>
#include <string>

// The failure every core function reports: a number for the report's title and a text that says
// what went wrong and what the user can do about it.
enum ErrorNumber : int {
    kErrOverflow = 6,
    kErrBadContent = 13,
    kErrInputPastEnd = 62,
    kErrFileAccess = 75,
};

class AppError : public std::runtime_error {
  public:
    AppError(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
    int Number() const { return number_; }

  private:
    int number_;
};
