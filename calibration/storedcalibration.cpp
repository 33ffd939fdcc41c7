// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Calibrations remembered per picture content, one small file each.
#include "calibration/storedcalibration.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace pontiva {

namespace {

constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15ull;
constexpr std::string_view Magic = "pontiva-calibration 1";
constexpr std::size_t MostBytes = 64 * 1024; // a record is a few hundred bytes

std::uint64_t mix(std::uint64_t h, std::uint64_t word)
{
    h = (h ^ word) * Multiplier;
    return h ^ (h >> 29);
}

// Typed texts may hold anything: kept as hexadecimal UTF-8.
std::string hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::optional<std::string> unhex(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (error != std::errc() || end != text.data() + i + 2)
            return std::nullopt;
        out += char(value);
    }
    return out;
}

// Floats written to round-trip exactly, so a restored point reads the same.
std::string number(float value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("nan");
}

template<class T>
bool read(std::string_view text, T &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

void ContentHash::add(const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(data);
    Length += size;
    std::size_t i = 0;
    while (PendingBytes > 0 && PendingBytes < 8 && i < size) {
        Pending |= std::uint64_t(bytes[i++]) << (8 * PendingBytes++);
    }
    if (PendingBytes == 8) {
        State = mix(State, Pending);
        Pending = 0;
        PendingBytes = 0;
    }
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        State = mix(State, word);
    }
    for (; i < size; ++i)
        Pending |= std::uint64_t(bytes[i]) << (8 * PendingBytes++);
}

std::uint64_t ContentHash::value() const
{
    std::uint64_t h = mix(State, Pending ^ (std::uint64_t(PendingBytes) << 59));
    return mix(h, Length);
}

std::string serializeCalibration(const StoredCalibration &c)
{
    const CalibrationState &p = c.points;
    std::ostringstream out;
    out << Magic << '\n'
        << "size " << c.width << ' ' << c.height << '\n'
        << "x0 " << hex(c.x0) << '\n'
        << "x1 " << hex(c.x1) << '\n'
        << "y0 " << hex(c.y0) << '\n'
        << "y2 " << hex(c.y2) << '\n'
        << "log " << int(c.xLog) << ' ' << int(c.yLog) << '\n'
        << "point0 " << number(p.XCanto0) << ' ' << number(p.YCanto0) << '\n'
        << "point1 " << number(p.XCanto1) << ' ' << number(p.YCanto1) << '\n'
        << "point2 " << number(p.XCanto2) << ' ' << number(p.YCanto2) << '\n';
    return out.str();
}

std::optional<StoredCalibration> parseCalibration(std::string_view text)
{
    std::vector<std::vector<std::string_view>> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt; // cut short
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        std::vector<std::string_view> words;
        while (!line.empty()) {
            const std::size_t space = line.find(' ');
            words.push_back(line.substr(0, space));
            line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
        }
        lines.push_back(words);
    }
    auto is = [&lines](std::size_t i, std::string_view key, std::size_t values) {
        return i < lines.size() && lines[i].size() == values + 1 && lines[i][0] == key;
    };
    if (lines.size() != 10 || !(lines[0].size() == 2 && lines[0][0] == "pontiva-calibration" && lines[0][1] == "1"))
        return std::nullopt;
    StoredCalibration c;
    int xLog = 0, yLog = 0;
    if (!is(1, "size", 2) || !read(lines[1][1], c.width) || !read(lines[1][2], c.height) || c.width <= 0
        || c.height <= 0)
        return std::nullopt;
    std::string *const texts[] = {&c.x0, &c.x1, &c.y0, &c.y2};
    const char *const keys[] = {"x0", "x1", "y0", "y2"};
    for (int i = 0; i < 4; ++i) {
        // An empty text has no hex word after its key.
        const bool empty = is(2 + std::size_t(i), keys[i], 0);
        if (!empty && !is(2 + std::size_t(i), keys[i], 1))
            return std::nullopt;
        const auto value = empty ? std::optional<std::string>("") : unhex(lines[2 + std::size_t(i)][1]);
        if (!value)
            return std::nullopt;
        *texts[i] = *value;
    }
    if (!is(6, "log", 2) || !read(lines[6][1], xLog) || !read(lines[6][2], yLog) || xLog < 0 || xLog > 1
        || yLog < 0 || yLog > 1)
        return std::nullopt;
    c.xLog = xLog == 1;
    c.yLog = yLog == 1;
    float *const xs[] = {&c.points.XCanto0, &c.points.XCanto1, &c.points.XCanto2};
    float *const ys[] = {&c.points.YCanto0, &c.points.YCanto1, &c.points.YCanto2};
    const char *const pointKeys[] = {"point0", "point1", "point2"};
    for (int i = 0; i < 3; ++i) {
        const std::size_t at = 7 + std::size_t(i);
        if (!is(at, pointKeys[i], 2) || !read(lines[at][1], *xs[i]) || !read(lines[at][2], *ys[i]))
            return std::nullopt;
        // Logical picture coordinates: a point off the picture is no sound record.
        if (!(*xs[i] >= -1 && *xs[i] <= 101 && *ys[i] >= -1 && *ys[i] <= 101))
            return std::nullopt;
        c.points.place(i, *xs[i], *ys[i]);
    }
    return c;
}

CalibrationMemory::CalibrationMemory(std::filesystem::path folder, std::size_t keep)
    : Folder(std::move(folder))
    , Keep(keep)
{
}

std::filesystem::path CalibrationMemory::fileFor(std::uint64_t content) const
{
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.calibration", static_cast<unsigned long long>(content));
    return Folder / name;
}

bool CalibrationMemory::store(std::uint64_t content, const StoredCalibration &c) const
{
    std::error_code error;
    std::filesystem::create_directories(Folder, error);
    const std::string text = serializeCalibration(c);
    const std::filesystem::path final = fileFor(content);
    const std::filesystem::path temporary = final.string() + ".new";
    // Written whole, then renamed over the old one: a crash leaves one or the other.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), final.c_str()) != 0) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    prune();
    return true;
}

std::optional<StoredCalibration> CalibrationMemory::find(std::uint64_t content, int width, int height) const
{
    // Only a regular file, opened without blocking, read to a small bound.
    const int fd = ::open(fileFor(content).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::string text(MostBytes + 1, '\0');
    std::size_t got = 0;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    while (regular && got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    ::close(fd);
    if (!regular || got > MostBytes)
        return std::nullopt;
    text.resize(got);
    std::optional<StoredCalibration> c = parseCalibration(text);
    if (!c || c->width != width || c->height != height)
        return std::nullopt;
    return c;
}

void CalibrationMemory::prune() const
{
    std::error_code error;
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> files;
    for (const auto &entry : std::filesystem::directory_iterator(Folder, error)) {
        if (entry.path().extension() == ".calibration" && entry.is_regular_file(error))
            files.emplace_back(entry.last_write_time(error), entry.path());
    }
    if (files.size() <= Keep)
        return;
    std::sort(files.begin(), files.end());
    for (std::size_t i = 0; i + Keep < files.size(); ++i)
        std::filesystem::remove(files[i].second, error);
}

} // namespace pontiva
