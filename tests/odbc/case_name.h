#pragma once

#include <gtest/gtest.h>

#include <string>

// Names a parameterised case after its "name" field.
struct CaseName {
    template <typename Case>
    std::string operator()(const testing::TestParamInfo<Case>& tested) const
    {
        return tested.param.name;
    }
};
