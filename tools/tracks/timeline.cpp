#include "timeline.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr int kRowsPerBeat = 8;

bool parse_type(const std::string& word, std::int32_t& type)
{
    static const struct {
        const char* name;
        std::int32_t type;
    } names[] = {{"hold", Hold},       {"step", Hold},         {"linear", Linear},
                 {"smooth", SmoothStep}, {"quadratic", Quadratic}, {"ramp", Quadratic}};
    for (const auto& n : names)
        if (word == n.name) {
            type = n.type;
            return true;
        }
    return false;
}

// A row: an integer row, or a beat count followed by "b" (8 rows per beat)
// that must land on a whole row.
bool parse_row(const std::string& word, std::int32_t& row)
{
    if (word.empty())
        return false;
    const bool beats = word.back() == 'b';
    const std::string number = beats ? word.substr(0, word.size() - 1) : word;
    if (number.empty())
        return false;
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return false;
    const double rows = beats ? value * kRowsPerBeat : value;
    if (rows != std::floor(rows) || rows < 0 || rows > 2147483647.0)
        return false;
    row = static_cast<std::int32_t>(rows);
    return true;
}

bool parse_value(const std::string& word, float& value)
{
    char* end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool valid_name(const std::string& name)
{
    if (name.empty() || name.size() > 200)
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'))
            return false;
    return true;
}

}  // namespace

bool parse_timeline(const std::string& text, const std::string& fileName,
                    std::vector<TimelineTrack>& tracks, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    TimelineTrack* current = nullptr;
    const auto fail = [&](const std::string& message) {
        error = fileName + ":" + std::to_string(lineNumber) + ": " + message;
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNumber;
        const auto hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        if (w[0] == "track") {
            if (w.size() != 2 || !valid_name(w[1]))
                return fail("expected \"track <name>\" (letters, digits, _ - .)");
            for (const auto& t : tracks)
                if (t.name == w[1])
                    return fail("track " + w[1] + " already defined at " + t.origin);
            tracks.push_back(TimelineTrack{w[1], {}, fileName + ":" + std::to_string(lineNumber)});
            current = &tracks.back();
            continue;
        }
        if (!current)
            return fail("key before the first \"track\" line");
        if (w.size() != 3)
            return fail("expected \"<row> <value> <hold|linear|smooth|quadratic>\"");
        SyncKey key{};
        if (!parse_row(w[0], key.row))
            return fail("bad row \"" + w[0] + "\" (a whole row, or beats ending in b)");
        if (!parse_value(w[1], key.value))
            return fail("bad value \"" + w[1] + "\"");
        if (!parse_type(w[2], key.type))
            return fail("bad interpolation \"" + w[2] + "\"");
        if (!current->keys.empty() && key.row <= current->keys.back().row)
            return fail("row " + std::to_string(key.row) + " does not come after row " +
                        std::to_string(current->keys.back().row));
        current->keys.push_back(key);
    }
    for (const auto& t : tracks)
        if (t.keys.empty()) {
            error = t.origin + ": track " + t.name + " has no keys";
            return false;
        }
    return true;
}
