#pragma once
// What a mistyped word was probably meant to be, for messages that name
// the nearest valid choice instead of only refusing.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace job {

// Edits (insert, delete, replace, swap two neighbours) that turn a into b,
// ignoring ASCII case.
int EditDistance(std::string_view a, std::string_view b);

// The candidate the typed word most likely stands for: the shortest one it
// is the beginning of (from three letters on), else the nearest one within
// a third of its length (at least one edit; none for words under three
// letters, leading dashes not counted). Earlier candidates win ties.
// Nothing when none is near.
std::optional<std::string> NearestWord(std::string_view typed, const std::vector<std::string>& candidates);

// "; did you mean \"X\"?" for the nearest candidate, or "" when none is near.
std::string DidYouMean(std::string_view typed, const std::vector<std::string>& candidates);

} // namespace job
