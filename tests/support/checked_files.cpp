#include "checked_files.h"

#include <gtest/gtest.h>

#include "files.h"

std::string makeTempDir(const char* tag) {
    std::string dir;
    if (!createTempDir(tag, dir)) {
        ADD_FAILURE() << "cannot create " << dir;
    }
    return dir;
}

void writeFile(const std::string& path, const std::string& content) {
    ASSERT_TRUE(tryWriteFile(path, content)) << path;
}
