#include <gtest/gtest.h>

#include <fstream>

#include "fakes/form_harness.h"

TEST(ConfigFile, placeholder)
{
    FormHarness h;
    h.form.Form_Load();
    EXPECT_EQ(h.form.setFile, (h.temp.path() / "ondrel.ini").string());
}
