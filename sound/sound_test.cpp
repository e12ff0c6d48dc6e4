// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chime.h"
#include "cue.h"
#include "runtime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sndfile.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// A wave file of `frames` frames in which channel c of frame i holds (i % 100 + c) / 1000.
void WriteWave(const char* path, int format, int channels, int rate, sf_count_t frames)
{
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(path, SFM_WRITE, &info);
    for (sf_count_t i = 0; i < frames; ++i) {
        const float frame[] = {float(i % 100) / 1000, float(i % 100 + 1) / 1000,
                               float(i % 100 + 2) / 1000, float(i % 100 + 3) / 1000};
        sf_writef_float(file, frame, 1);
    }
    sf_close(file);
}

// Whether the chime's next `count` frames are what WriteWave put there from `first` on: a mono
// file sounds on both sides, and of more channels the first two are heard.
bool Holds(Chime& chime, std::size_t count, sf_count_t first, int channels, float step)
{
    const std::span<const float> stereo = chime.next(count);
    for (std::size_t i = 0; i < stereo.size(); ++i) {
        const int right = i % 2 && channels > 1;
        if (std::abs(stereo[i] - float((first + sf_count_t(i / 2)) % 100 + right) / 1000) > step) {
            return false;
        }
    }
    return stereo.size() == 2 * count;
}

} // namespace

class SoundTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(QDir::setCurrent(dir_.path())); }
    void controlTakesOnlyItsCommands();
    void wavesAreReadAsStereo();
    void hostileFilesAreNoChime();

private:
    QTemporaryDir dir_;
};

void SoundTest::controlTakesOnlyItsCommands()
{
    // The fuzz target's oracle: a store is taken exactly when it names a command. Numbers and
    // near-names too, which Qt on its own would read as some command or other.
    for (const char* name :
         {"Stop", "Close", "Sound", "Play", "stop", "", "Stop Close", "1", "7", "-1", "Close "}) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(name), std::strlen(name));
    }
    // A cue through a control that refuses its stores raises the run-time error.
    QWidget form;
    QObject bare(&form);
    bare.setObjectName("MMControl1");
    Runtime::WidgetHost host(&form);
    QVERIFY_THROWS_EXCEPTION(Forms::PropertyStoreError, PlayCue(host, "MMControl1", "pinpon.wav"));
}

void SoundTest::wavesAreReadAsStereo()
{
    const struct
    {
        int format, channels, rate;
        sf_count_t frames;
    } waves[] = {{SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 9000},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 4, 48000, 9000},
                 {SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 2, 96000, 9000},
                 // Past the limit the chime stays on disk and is decoded piece by piece.
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Chime::MaxDecodedBytes / 8 + 9000}};
    for (const auto& wave : waves) {
        WriteWave("chime.wav", wave.format, wave.channels, wave.rate, wave.frames);
        const std::unique_ptr<Chime> chime = Chime::Open("chime.wav");
        QVERIFY(chime && chime->rate() == wave.rate && chime->frames() == wave.frames);
        QCOMPARE(chime->streamed(), wave.frames > 9000);
        const float step = wave.format & SF_FORMAT_PCM_U8 ? 1.0f / 128 : 1e-4f;
        for (sf_count_t first = 0; first + 5000 <= wave.frames; first += 5000) {
            QVERIFY(Holds(*chime, 5000, first, wave.channels, step));
        }
        QVERIFY(chime->next(5000).size() == std::size_t(wave.frames % 5000 * 2) &&
                chime->next(9).empty());
        chime->rewind();
        QVERIFY(Holds(*chime, 100, 0, wave.channels, step));
    }
}

void SoundTest::hostileFilesAreNoChime()
{
    // What is no chime: missing, empty, a header or data cut short, a folder, a wave of another
    // kind or of a rate only a damaged header has; and what each system has of its own.
    WriteWave("good.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000, 1000);
    WriteWave("aiff.wav", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 44100, 1000);
    WriteWave("rate.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 1, 1000);
    QVERIFY(Chime::Open("good.wav") && QDir().mkdir("folder.wav"));
    // Names are UTF-8 on every system; Windows' own calls take them wide.
    QVERIFY(QFile::copy("good.wav", QStringLiteral(u"ピンポン.wav")) &&
            Chime::Open(QStringLiteral(u"ピンポン.wav").toStdString()));
    for (const auto& [name, size] :
         {std::pair{"empty.wav", 0}, {"header.wav", 30}, {"data.wav", 1800}}) {
        QVERIFY(QFile::copy("good.wav", name));
        std::filesystem::resize_file(name, size);
    }
#ifdef _WIN32
    // A named pipe cannot live in a folder on Windows. A whole chime that another program holds
    // open without sharing it could change while it plays.
    QVERIFY(QFile::copy("good.wav", "held.wav"));
    const HANDLE held = CreateFileW(L"held.wav", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, {});
    QVERIFY(held != INVALID_HANDLE_VALUE);
    const char* own = "held.wav";
#else
    // Opening a named pipe would wait for a writer for ever.
    QVERIFY(::mkfifo("pipe.wav", 0600) == 0);
    const char* own = "pipe.wav";
#endif
    for (const char* name : {"missing.wav", "empty.wav", "header.wav", "data.wav", "folder.wav",
                             "aiff.wav", "rate.wav", own}) {
        QVERIFY2(!Chime::Open(name), name);
    }
#ifdef _WIN32
    CloseHandle(held);
    QVERIFY(Chime::Open("held.wav"));
#endif
}

QTEST_MAIN(SoundTest)
#include "sound_test.moc"
