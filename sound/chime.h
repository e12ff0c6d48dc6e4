// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct sf_private_tag;

// A chime read from a wave file, handed out as interleaved stereo float frames: a mono file
// sounds on both sides, and of more channels only the first two are heard.
//
// A short chime is decoded whole when it is opened, so that playing it costs no disk read. A long
// one stays on disk and is decoded piece by piece as it plays, so that whatever a file holds, the
// memory it takes stays small.
class Chime
{
public:
    // Decoded samples above this are left on disk.
    static constexpr std::size_t MaxDecodedBytes = 2 * 1024 * 1024;
    // Rates outside these would only ever be a damaged header.
    static constexpr int MinRate = 8000;
    static constexpr int MaxRate = 192000;

    // The chime in the file named `path` (in UTF-8), or nothing unless it is a regular file
    // holding a complete PCM or float wave file at a rate above; anything else (missing, damaged,
    // cut short, a folder, a pipe, a name that is no UTF-8) is nothing, never an error.
    static std::unique_ptr<Chime> Open(const std::string& path);
    ~Chime();

    int rate() const { return rate_; }
    std::int64_t frames() const { return frames_; }
    bool streamed() const { return file_ != nullptr; }

    // The next frames to play, at most `count` of them; empty at the end. Valid until the next
    // call.
    std::span<const float> next(std::size_t count);
    // Plays from the beginning again.
    void rewind();

private:
    Chime(sf_private_tag* file, int channels, int rate, std::int64_t frames);
    std::size_t decode(float* stereo, std::size_t count);

    sf_private_tag* file_;
    int channels_;
    int rate_;
    std::int64_t frames_;
    std::size_t position_ = 0;
    // The whole chime when it is short, otherwise the piece last decoded.
    std::vector<float> samples_;
    std::vector<float> fileFrames_;
};
