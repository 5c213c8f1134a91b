#include "support/avi_probe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <sys/wait.h>

namespace avitest {

std::string shell_quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string run_command(const std::string& command, int* status)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status)
            *status = -1;
        return out;
    }
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int result = pclose(pipe);
    if (status)
        *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

std::vector<ProbedStream> probe_streams(const std::string& path, bool countFrames)
{
    const std::string command = std::string("ffprobe -v error ") +
                                (countFrames ? "-count_frames " : "-count_packets ") +
                                "-show_streams " + shell_quote(path) + " 2>/dev/null";
    std::istringstream lines(run_command(command));
    std::vector<ProbedStream> streams;
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "[STREAM]") {
            streams.emplace_back();
        } else if (!streams.empty() && line != "[/STREAM]") {
            const auto eq = line.find('=');
            if (eq != std::string::npos)
                streams.back()[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return streams;
}

std::vector<std::uint8_t> decode_video_bgr24(const std::string& path)
{
    const std::string out = run_command("ffmpeg -v error -i " + shell_quote(path) +
                                        " -map 0:v -f rawvideo -pix_fmt bgr24 - 2>/dev/null");
    return std::vector<std::uint8_t>(out.begin(), out.end());
}

int mjpeg_quality(const std::string& path)
{
    int status = -1;
    const std::string out = run_command("ffmpeg -v error -i " + shell_quote(path) +
                                            " -map 0:v -frames:v 1 -c:v copy -f mjpeg - 2>/dev/null |"
                                            " identify -format %Q jpg:- 2>/dev/null",
                                        &status);
    return status == 0 ? std::atoi(out.c_str()) : 0;
}

std::vector<std::int16_t> decode_audio_s16(const std::string& path)
{
    const std::string out = run_command("ffmpeg -v error -i " + shell_quote(path) +
                                        " -map 0:a -f s16le -acodec pcm_s16le - 2>/dev/null");
    std::vector<std::int16_t> samples(out.size() / 2);
    std::memcpy(samples.data(), out.data(), samples.size() * 2);
    return samples;
}

}
