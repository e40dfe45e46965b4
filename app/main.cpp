#include "Strings.h"

#include <cstdio>
#include <string>

int main()
{
    const std::string title(ResourceString(ids::kDocumentString));
    std::printf("%s\n", title.c_str());
    return 0;
}
