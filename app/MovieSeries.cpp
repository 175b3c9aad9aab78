#include "app/MovieSeries.h"

#include <filesystem>
#include <system_error>

namespace {

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

TMovieSeries FindMovieSeries(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t end = dot == std::string::npos ? path.size() : dot;
    std::size_t begin = end;
    while (begin > 0 && path[begin - 1] >= '0' && path[begin - 1] <= '9')
        --begin;
    // The writer numbers from 1 with no leading zero, and never past 256 files; nine digits
    // keep the number an int.
    if (begin == end || path[begin] == '0' || end - begin > 9)
        return {};
    TMovieSeries series;
    series.prefix = path.substr(0, begin);
    series.suffix = path.substr(end);
    const int number = std::stoi(path.substr(begin, end - begin));
    if (!Exists(series.Member(number + 1)) && (number == 1 || !Exists(series.Member(number - 1))))
        return {};
    series.number = number;
    series.last = number;
    while (series.last < 1000000 && Exists(series.Member(series.last + 1)))
        ++series.last;
    return series;
}
