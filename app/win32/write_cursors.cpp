// Writes the hand cursor HAND-M.CUR and the drag pointer drag.ico into a folder, drawn from
// the small pictures below, as 32 x 32 files in the system's cursor and icon format.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// '#' outline, '.' fill, ' ' clear; 16 x 16, doubled to 32 x 32.
constexpr const char* kHand[16] = {
    "    ##          ", "   #..#         ", "   #..#         ", "   #..#         ",
    "   #..###       ", "   #..#..###    ", " ###..#..#..##  ", "#..#.....#..#.# ",
    "#..#..........# ", " #............# ", " #............# ", "  #..........#  ",
    "  #..........#  ", "   #........#   ", "   #........#   ", "   ##########   "};
constexpr const char* kDrag[16] = {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "   #########    ", "      #.#       ", "      #.#       ", "      #.#       ",
    "      #.#       ", "      #.#       ", "      #.#       ", "   #########    ",
    "    #.....#     ", "     #...#      ", "      #.#       ", "       #        "};

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// type 1 icon, 2 cursor (with the hot spot where an icon keeps planes and bit count).
std::string Encode(const char* const picture[16], unsigned type, unsigned hotX, unsigned hotY) {
    std::string image;
    Put32(image, 40);
    Put32(image, 32);
    Put32(image, 64);  // colour and mask, one above the other
    Put16(image, 1);
    Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    for (int y = 31; y >= 0; --y)
        for (int x = 0; x < 32; ++x) {
            const char c = picture[y / 2][x / 2];
            const std::uint32_t argb = c == '#' ? 0xFF000000u : c == '.' ? 0xFFFFFFFFu : 0u;
            Put32(image, argb);
        }
    for (int y = 31; y >= 0; --y) {
        std::uint32_t bits = 0;  // 1 keeps the screen
        for (int x = 0; x < 32; ++x)
            if (picture[y / 2][x / 2] == ' ') bits |= 0x80000000u >> x;
        for (int b = 3; b >= 0; --b) image += static_cast<char>((bits >> (b * 8)) & 0xFF);
    }
    std::string file;
    Put16(file, 0);
    Put16(file, type);
    Put16(file, 1);
    file += static_cast<char>(32);
    file += static_cast<char>(32);
    file += '\0';
    file += '\0';
    Put16(file, type == 2 ? hotX : 1);
    Put16(file, type == 2 ? hotY : 32);
    Put32(file, static_cast<std::uint32_t>(image.size()));
    Put32(file, 22);
    return file + image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_cursors FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream(folder + "/HAND-M.CUR", std::ios::binary) << Encode(kHand, 2, 9, 0);
    std::ofstream(folder + "/drag.ico", std::ios::binary) << Encode(kDrag, 1, 0, 0);
    return 0;
}
