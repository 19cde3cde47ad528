// Test helper: expect a JSON container call to fail with a given number and description.
#pragma once

#include <functional>

#include <gtest/gtest.h>

#include "JsonError.h"

namespace vtx::test {

inline ::testing::AssertionResult failsWith(const std::function<void()>& call, int number,
                                            const QString& description) {
    try {
        call();
    } catch (const JsonError& e) {
        if (e.number() == number && e.description() == description &&
            e.source() == QLatin1String("JsonCaixa"))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "raised " << e.number() << " \"" << e.description().toStdString() << "\"";
    }
    return ::testing::AssertionFailure() << "raised nothing";
}

} // namespace vtx::test
