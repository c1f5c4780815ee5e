// Checks on text a command printed: on failure the whole text is shown.
#pragma once

#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <string>

inline testing::AssertionResult Has(const std::string &text, const std::string &part)
{
    if (text.find(part) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

inline testing::AssertionResult Lacks(const std::string &text, const std::string &part)
{
    if (text.find(part) == std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\"" << part << "\" in:\n" << text;
}

inline size_t Count(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The command ended with the status and printed the text.
inline testing::AssertionResult Ended(const HostRun &run, int status, const std::string &part)
{
    if (run.status == status && run.out.find(part) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "status " << run.status << " (not " << status << "), \"" << part
                                       << "\" wanted in:\n"
                                       << run.out;
}
