// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Switches LC_NUMERIC of the process to German, whose decimal point is a comma, so that
// a test can catch numbers that follow the user's locale. A fresh machine has no such
// locale installed: it is then compiled once into a private folder named by LOCPATH.
// Restores the previous locale when it goes out of scope.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // Empty when the locale is in force, else why not.
    const std::string& error() const { return m_error; }

private:
    std::string m_previous;
    std::string m_error;
};
