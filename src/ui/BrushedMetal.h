// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRectF>
#include <cstdint>

class QPainter;

// A metal surface: a vertical grey gradient, a fixed hairline texture and a diagonal sheen.
// The texture comes from a freshly seeded generator on every draw, so it never shimmers
// between frames and is identical for every surface of the same tone and size.
class BrushedMetal {
public:
    enum class Tone { Dark, Light };

    // The published SplitMix64 generator.
    struct SplitMix64 {
        std::uint64_t state;
        std::uint64_t next()
        {
            state += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            return z ^ (z >> 31);
        }
    };

    __extension__ typedef unsigned __int128 Wide;

    // "CORVA" read as a big-endian integer.
    static constexpr std::uint64_t textureSeed = 0x434F525641ull;

    // The strongest hairline.
    static constexpr double maxLineOpacity(Tone tone) { return tone == Tone::Dark ? 0.07 : 0.12; }

    // Calls line(y, opacity, white) for every hairline of a canvas `height` points tall, top
    // to bottom, without allocating.
    template <typename LineFn>
    static void forEachTextureLine(double height, Tone tone, LineFn &&line)
    {
        if (!(height > 0.0))
            return;
        const double m = maxLineOpacity(tone);
        constexpr std::uint64_t span = (1ull << 53) + 1; // k ranges over 0 ... 2^53
        constexpr std::uint64_t rejectBelow = 0x1FFFFFFFFFF801ull; // 2^64 mod span
        SplitMix64 rng{textureSeed};
        for (int y = 0; y < height; ++y) {
            Wide product;
            do {
                product = static_cast<Wide>(rng.next()) * span;
            } while (static_cast<std::uint64_t>(product) < rejectBelow);
            const std::uint64_t k = static_cast<std::uint64_t>(product >> 64);
            const double opacity = k == (1ull << 53) ? m : m * double(k) * 0x1p-53;
            const bool white = ((rng.next() >> 17) & 1u) == 0;
            line(y, opacity, white);
        }
    }

    // Paints the three layers over `rect`; the caller clips to the surface's shape.
    static void paint(QPainter &painter, const QRectF &rect, Tone tone);
    // The same, drawn afresh rather than copied from the cache.
    static void paintUncached(QPainter &painter, const QRectF &rect, Tone tone);
    // Only the hairlines, in a canvas whose top-left is rect.topLeft().
    static void paintTexture(QPainter &painter, const QRectF &rect, Tone tone);
};
