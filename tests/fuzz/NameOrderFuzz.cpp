// The order of names in the tree is a strict order whatever the bytes: a
// name equals only itself, swapping two names swaps the answer, the order is
// transitive, equality without regard to case is an equivalence, and a
// list of names sorts into an order that holds pairwise.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/sources/FavoritesFolder.h"

namespace {

int Sign(int n) { return (n > 0) - (n < 0); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    // Names are separated by line feeds.
    std::vector<std::string> names;
    std::string_view rest(reinterpret_cast<const char*>(pData), nSize);
    while (names.size() < 64) {
        const std::size_t nEnd = rest.find('\n');
        names.emplace_back(rest.substr(0, nEnd));
        if (nEnd == std::string_view::npos)
            break;
        rest.remove_prefix(nEnd + 1);
    }

    for (const std::string& a : names) {
        if (CompareNamesNoCase(a, a) != 0 || !NamesEqualNoCase(a, a))
            std::abort();
        for (const std::string& b : names) {
            const int nAB = Sign(CompareNamesNoCase(a, b));
            if (nAB != -Sign(CompareNamesNoCase(b, a)))
                std::abort();
            if ((nAB == 0) != (a == b))
                std::abort();
            if (NamesEqualNoCase(a, b) != NamesEqualNoCase(b, a))
                std::abort();
        }
    }
    if (names.size() >= 3) {
        const std::string& a = names[0];
        const std::string& b = names[1];
        const std::string& c = names[2];
        if (CompareNamesNoCase(a, b) < 0 && CompareNamesNoCase(b, c) < 0 && CompareNamesNoCase(a, c) >= 0)
            std::abort();
        if (NamesEqualNoCase(a, b) && NamesEqualNoCase(b, c) && !NamesEqualNoCase(a, c))
            std::abort();
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareNamesNoCase(a, b) < 0; });
    for (std::size_t i = 1; i < names.size(); ++i)
        if (CompareNamesNoCase(names[i - 1], names[i]) > 0)
            std::abort();
    return 0;
}
