// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chime.h"

#include "chimefile.h"

#include <algorithm>
#include <cstring>

namespace {

// Bytes of one sample in the wave encodings that are played; 0 for any other encoding.
int SampleBytes(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    default:
        return 0;
    }
}

bool IsWave(int format)
{
    const int type = format & SF_FORMAT_TYPEMASK;
    return type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX;
}

// The length the file's data chunk claims. A file cut short holds less than that; its header
// is not to be trusted, so it is not played at all.
sf_count_t ClaimedDataBytes(SNDFILE* file)
{
    SF_CHUNK_INFO data{};
    std::memcpy(data.id, "data", 4);
    data.id_size = 4;
    SF_CHUNK_ITERATOR* chunk = sf_get_chunk_iterator(file, &data);
    if (!chunk || sf_get_chunk_size(chunk, &data) != SF_ERR_NO_ERROR) {
        return -1;
    }
    return data.datalen;
}

} // namespace

std::unique_ptr<Chime> Chime::Open(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = OpenRegularFile(path, info);
    if (!file) {
        return nullptr;
    }
    const int sampleBytes = SampleBytes(info.format);
    const sf_count_t claimed = ClaimedDataBytes(file);
    if (!IsWave(info.format) || sampleBytes == 0 || info.channels < 1 || info.frames < 1 ||
        info.samplerate < MinRate || info.samplerate > MaxRate || claimed < 0 ||
        claimed > info.frames * info.channels * sampleBytes) {
        sf_close(file);
        return nullptr;
    }

    std::unique_ptr<Chime> chime(new Chime(file, info.channels, info.samplerate, info.frames));
    if (std::size_t(info.frames) * 2 * sizeof(float) <= MaxDecodedBytes) {
        chime->samples_.resize(std::size_t(info.frames) * 2);
        chime->samples_.resize(chime->decode(chime->samples_.data(), std::size_t(info.frames)) * 2);
        sf_close(chime->file_);
        chime->file_ = nullptr;
        chime->fileFrames_ = {};
    }
    return chime;
}

Chime::Chime(SNDFILE* file, int channels, int rate, std::int64_t frames)
    : file_(file), channels_(channels), rate_(rate), frames_(frames)
{}

Chime::~Chime()
{
    if (file_) {
        sf_close(file_);
    }
}

std::size_t Chime::decode(float* stereo, std::size_t count)
{
    // In pieces, so that a file of many channels never needs much room at once.
    constexpr std::size_t Piece = 4096;
    std::size_t done = 0;
    while (done < count) {
        const std::size_t want = std::min(Piece, count - done);
        fileFrames_.resize(want * std::size_t(channels_));
        const auto got = std::size_t(sf_readf_float(file_, fileFrames_.data(), sf_count_t(want)));
        const std::size_t right = channels_ > 1 ? 1 : 0;
        for (std::size_t i = 0; i < got; ++i) {
            stereo[2 * (done + i)] = fileFrames_[i * std::size_t(channels_)];
            stereo[2 * (done + i) + 1] = fileFrames_[i * std::size_t(channels_) + right];
        }
        done += got;
        if (got < want) {
            break;
        }
    }
    return done;
}

std::span<const float> Chime::next(std::size_t count)
{
    if (!file_) {
        const std::size_t start = std::min(position_, samples_.size() / 2);
        const std::size_t frames = std::min(count, samples_.size() / 2 - start);
        position_ = start + frames;
        return {samples_.data() + 2 * start, 2 * frames};
    }
    samples_.resize(2 * count);
    const std::size_t frames = decode(samples_.data(), count);
    return {samples_.data(), 2 * frames};
}

void Chime::rewind()
{
    position_ = 0;
    if (file_) {
        sf_seek(file_, 0, SEEK_SET);
    }
}
