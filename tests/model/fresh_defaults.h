// The settings defaults are process-wide: a test that loads chunks changing
// them starts and ends with the load-time values.
#pragma once

#include "settings.h"

#include <gtest/gtest.h>

namespace rova_test {

class FreshDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { CRovaSettings::ResetDefaults(); }
    void TearDown() override { CRovaSettings::ResetDefaults(); }
};

}  // namespace rova_test
