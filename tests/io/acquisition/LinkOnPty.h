#pragma once

// A serial link open on a fresh pseudo-terminal, for fixtures plain
// (::testing::Test) or parameterised (::testing::TestWithParam).

#include "acquisition/SerialLink.h"
#include "io/acquisition/PseudoTerminal.h"

#include <gtest/gtest.h>

template <typename Base = ::testing::Test>
class LinkOnPty : public Base {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(link.openDevice(pty.slavePath())) << link.failureReason().toStdString();
    }
    PseudoTerminal pty;
    SerialLink link;
};
