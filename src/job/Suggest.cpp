#include "job/Suggest.h"

#include <algorithm>
#include <climits>

namespace job {

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

} // namespace

int EditDistance(std::string_view a, std::string_view b)
{
    // Three rows of the dynamic programme are enough for the swap rule.
    const std::size_t n = b.size();
    std::vector<int> before(n + 1), previous(n + 1), current(n + 1);
    for (std::size_t j = 0; j <= n; ++j)
        previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= n; ++j) {
            const int cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) && Lower(a[i - 2]) == Lower(b[j - 1]))
                best = std::min(best, before[j - 2] + 1);
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[n];
}

std::optional<std::string> NearestWord(std::string_view typed, const std::vector<std::string>& candidates)
{
    if (typed.empty())
        return std::nullopt;
    // Three letters are enough to mean something; fewer begin too many words.
    const std::string* prefixOf = nullptr;
    if (typed.size() >= 3)
        for (const std::string& c : candidates)
            if (StartsWith(c, typed) && (!prefixOf || c.size() < prefixOf->size()))
                prefixOf = &c;
    if (prefixOf)
        return *prefixOf;

    const std::string* nearest = nullptr;
    int nearestDistance = INT_MAX;
    for (const std::string& c : candidates) {
        const int distance = EditDistance(typed, c);
        // Leading dashes of an option are not part of what was misspelt,
        // and a word shorter than three letters is near everything.
        const int letters = static_cast<int>(c.size() - std::min(c.find_first_not_of('-'), c.size()));
        const int allowed = letters < 3 ? 0 : std::max(1, letters / 3);
        if (distance <= allowed && distance < nearestDistance) {
            nearest = &c;
            nearestDistance = distance;
        }
    }
    if (nearest)
        return *nearest;
    return std::nullopt;
}

std::string DidYouMean(std::string_view typed, const std::vector<std::string>& candidates)
{
    const std::optional<std::string> nearest = NearestWord(typed, candidates);
    return nearest ? "; did you mean \"" + *nearest + "\"?" : std::string();
}

} // namespace job
