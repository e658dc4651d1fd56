#include "atlas_codec.h"

#include <algorithm>
#include <queue>
#include <vector>

#include "common/font_atlas_codec.h"

namespace {

struct Token {
    int symbol;
    uint32_t extra;
    int extra_bits;
};

// Code lengths of a Huffman code, flattened until no code passes the limit.
std::vector<int> code_lengths(std::vector<uint64_t> freq) {
    const int n = (int)freq.size();
    for (;;) {
        struct Node {
            uint64_t weight;
            int index;
        };
        auto later = [](const Node& a, const Node& b) {
            return a.weight != b.weight ? a.weight > b.weight : a.index > b.index;
        };
        std::priority_queue<Node, std::vector<Node>, decltype(later)> heap(later);
        std::vector<int> parent(2 * n, -1);
        int next = n;
        for (int s = 0; s < n; ++s)
            if (freq[s]) heap.push({freq[s], s});
        std::vector<int> len(n, 0);
        if (heap.size() == 1) {
            len[heap.top().index] = 1;
            return len;
        }
        while (heap.size() > 1) {
            Node a = heap.top();
            heap.pop();
            Node b = heap.top();
            heap.pop();
            parent[a.index] = next;
            parent[b.index] = next;
            heap.push({a.weight + b.weight, next++});
        }
        int longest = 0;
        for (int s = 0; s < n; ++s) {
            if (!freq[s]) continue;
            int d = 0;
            for (int p = parent[s]; p >= 0; p = parent[p]) ++d;
            len[s] = d;
            longest = std::max(longest, d);
        }
        if (longest <= ATLAS_CODE_MAX_BITS) return len;
        for (uint64_t& f : freq)
            if (f) f = (f + 1) / 2;
    }
}

struct BitWriter {
    std::string text;
    uint32_t acc = 0;
    int bits = 0;
    void put(uint32_t value, int n) {
        static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = n - 1; i >= 0; --i) {
            acc = (acc << 1) | ((value >> i) & 1u);
            if (++bits == 6) {
                text.push_back(alphabet[acc]);
                acc = 0;
                bits = 0;
            }
        }
    }
    void finish() {
        if (bits) put(0, 6 - bits);
    }
};

}  // namespace

std::string atlas_encode(const uint8_t* pixels, int width, int height) {
    std::vector<Token> tokens;
    const long total = (long)width * height;
    const long max_run = (1L << (ATLAS_CODE_RUNS + 1)) - 1;
    long run = 0;
    auto flush_run = [&]() {
        while (run > 0) {
            if (run == 1) {
                tokens.push_back({0, 0, 0});
                run = 0;
                break;
            }
            long n = std::min(run, max_run);
            int k = 0;
            while ((2L << (k + 1)) <= n) ++k;  // 2^(k+1) <= n < 2^(k+2)
            tokens.push_back({256 + k, (uint32_t)(n - (1L << (k + 1))), k + 1});
            run -= n;
        }
    };
    for (long i = 0; i < total; ++i) {
        int x = (int)(i % width), y = (int)(i / width);
        int residual = (pixels[i] - atlas_predict(pixels, width, x, y)) & 255;
        if (residual == 0) {
            ++run;
            continue;
        }
        flush_run();
        tokens.push_back({residual, 0, 0});
    }
    flush_run();

    std::vector<uint64_t> freq(ATLAS_CODE_SYMBOLS, 0);
    for (const Token& t : tokens) freq[t.symbol]++;
    std::vector<int> len = code_lengths(freq);
    std::vector<uint32_t> code(ATLAS_CODE_SYMBOLS, 0);
    uint32_t next = 0;
    for (int l = 1; l <= ATLAS_CODE_MAX_BITS; ++l) {
        for (int s = 0; s < ATLAS_CODE_SYMBOLS; ++s)
            if (len[s] == l) code[s] = next++;
        next <<= 1;
    }
    BitWriter out;
    for (int s = 0; s < ATLAS_CODE_SYMBOLS; ++s) out.put((uint32_t)len[s], 4);
    for (const Token& t : tokens) {
        out.put(code[t.symbol], len[t.symbol]);
        if (t.extra_bits) out.put(t.extra, t.extra_bits);
    }
    out.finish();
    return out.text;
}
