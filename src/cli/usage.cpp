#include "cli/usage.h"

namespace sonarel::cli {

void PrintUsage(std::FILE* stream, const char* program) {
    std::fprintf(stream,
                 "Usage: %s [options] INPUT [OUTPUT]\n"
                 "       %s [options] -input=INPUT [-output=OUTPUT]\n",
                 program, program);
    std::fputs(
        "\n"
        "Converts an MPEG audio Layer III file (.mp3, or a .wav file holding MP3 audio)\n"
        "into a 16-bit PCM WAVE file.\n"
        "\n"
        "OUTPUT is a file name or an existing folder. Given a folder, or no OUTPUT at all,\n"
        "the output is named after the input with the extension .wav, in that folder or in\n"
        "the folder last used for saving (else the current folder).\n"
        "\n"
        "Options, also written with \"--\", in any letter case, and shortened to any\n"
        "beginning that fits one option alone (-over, -in=NAME; not -o):\n"
        "  -input=NAME    the input file\n"
        "  -output=NAME   the output file or folder\n"
        "  -overwrite     replace an existing output file without asking; an existing\n"
        "                 file that is not a WAVE file is replaced only with it\n"
        "  -yes           answer Yes to every question\n"
        "  -nobeep        no terminal bell when the conversion ends\n"
        "  -play          play the input on the sound device instead of converting it;\n"
        "                 with an OUTPUT it is also written, as it plays\n"
        "  -help, -?      this text\n"
        "  -version       the program's version\n"
        "  -auto, -exit   accepted; the converter always starts at once and exits when done\n"
        "Any other switch, and a third name after INPUT and OUTPUT, is an error (status 2).\n"
        "\n"
        "Questions are asked at the prompt when standard input is a terminal, otherwise\n"
        "answered No (Yes with -yes). Ctrl-C cancels; the output then holds what was\n"
        "decoded so far, as a complete WAVE file.\n"
        "\n"
        "Exit status:\n"
        "   0  the conversion finished (\"Done!\")\n"
        "   1  nothing was converted, for another reason\n"
        "   2  wrong use of the command line\n"
        "   3  cancelled (Ctrl-C or SIGTERM)\n"
        "   4  a question was answered No\n"
        "   5  the input file does not exist\n"
        "   6  the input cannot be read or holds no MPEG audio\n"
        "   7  the input is a PCM WAVE file, not MP3 compressed\n"
        "   8  the output name is invalid (or names the input itself)\n"
        "   9  the input could not be opened for decoding\n"
        "  10  the decoder could not be started\n"
        "  11  the output file could not be created\n"
        "  12  internal error: the conversion had no input\n"
        "  13  internal error: the conversion could not open its input\n"
        "  14  reading the input failed; the output is incomplete\n"
        "  15  writing the output failed (disk full?); the output is incomplete\n"
        "  16  -play: the sound device could not be opened, or it failed\n"
        "  17  the conversion finished, but part of the input was at another sampling\n"
        "      rate than the output's and was left out (the status says how much)\n"
        "  18  the output exists and is not a WAVE file; it is kept (-overwrite replaces it)\n"
        "\n"
        "-play uses the ALSA device \"default\", or the one named by the environment\n"
        "variable SONAREL_AUDIO_DEVICE (for example \"null\" to play without a sound card).\n",
        stream);
}

} // namespace sonarel::cli
