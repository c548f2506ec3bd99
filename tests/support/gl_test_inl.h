#pragma once
#include <unistd.h>

#include <climits>

template <class F>
void inDirectory(const std::string& dir, F fn) {
    char old[PATH_MAX];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    fn();
    ASSERT_EQ(chdir(old), 0);
}
