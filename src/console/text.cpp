// Text clean-up, environment, dates and times.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "console/console.hpp"
#include "console/utilities.hpp"

namespace console {

std::string blanks(int n)
{
    if (n < 0) n = 0;
    if (n > 255) n = 255;
    return std::string(static_cast<std::size_t>(n), ' ');
}

std::string pad_to_column(const Console& con, int c)
{
    int x = con.where_x();
    return x >= c ? std::string() : blanks(c - x);
}

std::string upper(std::string_view s)
{
    std::string r(s);
    for (char& ch : r)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return r;
}

std::string trim_right(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return std::string(s.substr(0, n));
}

std::string squeeze(std::string_view s)
{
    std::string r;
    for (char ch : s)
        if (ch != ' ')
            r += ch;
    return r;
}

std::string squeeze_upper(std::string_view s) { return upper(squeeze(s)); }

std::string left_part(std::string_view s, int n)
{
    if (n <= 0) return {};
    return std::string(s.substr(0, static_cast<std::size_t>(n)));
}

std::string right_part(std::string_view s, int n)
{
    if (n <= 0) return {};
    std::size_t k = static_cast<std::size_t>(n);
    return k >= s.size() ? std::string(s) : std::string(s.substr(s.size() - k));
}

std::string quotes_to_apostrophes(std::string_view s)
{
    std::string r(s);
    for (char& ch : r)
        if (ch == '"')
            ch = '\'';
    return r;
}

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    if (v == nullptr)
        return {};
    std::string s = v;
    if (s.size() > 511)
        s.resize(511);
    return s;
}

namespace {

std::tm local_now(int* millis = nullptr)
{
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    if (millis != nullptr) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      now.time_since_epoch()) % 1000;
        *millis = static_cast<int>(ms.count());
    }
    return tm;
}

} // namespace

std::string date_stamp()
{
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm = local_now();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%s%02d", tm.tm_mday, months[tm.tm_mon],
                  tm.tm_year % 100);
    return buf;
}

std::string time_stamp()
{
    std::tm tm = local_now();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

double seconds_of_day()
{
    int ms = 0;
    std::tm tm = local_now(&ms);
    return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + ms / 1000.0;
}

} // namespace console
