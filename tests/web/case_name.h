#pragma once
// Names table rows of a parameterised GoogleTest suite after their `name` field.
#include <gtest/gtest.h>

#include <string>

namespace melkora::test {

struct CaseName {
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

}  // namespace melkora::test
