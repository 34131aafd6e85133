#include "knob_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace artgen {

namespace {

// Samples per pixel side; the pixel takes the average of the samples.
constexpr int kSamples = 4;

// A pixel less than half covered stays transparent, so no light fringe appears where the
// toolkit drops the white. Partly covered pixels are blended with a grey in the range of the
// background behind the controls instead of with white.
constexpr double kBackdropGrey = 112.0;

struct Vector {
    double x, y, z;
};

Vector normalised(Vector v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

double dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Light from the upper left, towards the viewer; screen y grows downwards.
const Vector kLight = normalised({-0.55, -0.65, 0.75});
const Vector kHalfway = normalised({kLight.x, kLight.y, kLight.z + 1.0});

// Surface normal of a dome of the given radius at (u, v) from its centre.
Vector domeNormal(double u, double v, double radius) {
    const double nx = u / radius;
    const double ny = v / radius;
    return {nx, ny, std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny))};
}

// Grey of a ball of the given radius at (u, v) from its centre, or a negative value outside it.
double ballSample(double u, double v, double radius, double rimWidth) {
    const double distance = std::hypot(u, v);
    if (distance > radius) return -1.0;
    if (distance > radius - rimWidth) return 0.0;
    const Vector n = domeNormal(u, v, radius - rimWidth);
    const double diffuse = std::max(0.0, dot(n, kLight));
    const double specular = std::pow(std::max(0.0, dot(n, kHalfway)), 28.0);
    return 26.0 + 74.0 * diffuse + 110.0 * specular;
}

// Greys of the handle stay between these, darker at its edge and away from the light.
constexpr double kHandleDark = 155.0;
constexpr double kHandleLight = 195.0;
constexpr double kHandleRim = 0.0;

double handleSample(double u, double v, double radius, double rimWidth) {
    const double distance = std::hypot(u, v);
    if (distance > radius) return -1.0;
    if (distance > radius - rimWidth) return kHandleRim;
    const double lit = std::clamp((dot(domeNormal(u, v, radius), kLight) + 0.1) / 1.1, 0.0, 1.0);
    return kHandleDark + (kHandleLight - kHandleDark) * lit;
}

// Supersamples `sample` over a square `diameter` across whose top-left corner is the picture's
// and whose centre is the origin. `edge` is what the uncovered part of a partly covered pixel
// is blended with.
template <typename Sample>
Image drawRound(double diameter, Sample sample, double edge) {
    const int size = static_cast<int>(std::ceil(diameter));
    Image image(size, size, kTransparent);
    const double centre = diameter / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            double sum = 0.0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double value = sample(x + (sx + 0.5) / kSamples - centre, y + (sy + 0.5) / kSamples - centre);
                    if (value < 0.0) continue;
                    ++inside;
                    sum += value;
                }
            }
            constexpr int total = kSamples * kSamples;
            if (2 * inside < total) continue;
            const double level = (sum + (total - inside) * edge) / total;
            // 254 at most: pure white would turn the pixel transparent.
            image.at(x, y) = grey(static_cast<std::uint8_t>(std::clamp(std::lround(level), 0L, 254L)));
        }
    }
    return image;
}

}  // namespace

Image drawBall(double diameter, double scale) {
    const auto sample = [radius = diameter / 2.0, rim = kBallRim * scale](double u, double v) {
        return ballSample(u, v, radius, rim);
    };
    return drawRound(diameter, sample, kBackdropGrey);
}

Image drawHandle(double diameter, double rimWidth) {
    const auto sample = [radius = diameter / 2.0, rimWidth](double u, double v) {
        return handleSample(u, v, radius, rimWidth);
    };
    return drawRound(diameter, sample, rimWidth > 0.0 ? kHandleRim : kHandleDark);
}

Point handleCorner(double angle, double ballSize, int handleSize) {
    const double radius = ballSize * 0.5;
    const double reach = radius - static_cast<int>(handleSize * 0.5 + 2.5);
    const int x = static_cast<int>(std::cos(angle) * reach + radius + 0.5);
    const int y = static_cast<int>(radius - std::sin(angle) * reach + 0.5);
    return {x - handleSize / 2, y - handleSize / 2};
}

Image drawSwitchStrip(const Image& ball, const Image& handle, double pitch) {
    constexpr double pi = std::numbers::pi;
    constexpr double angles[kSwitchFrames] = {5 * pi / 4, pi, pi / 2, 0.0, -pi / 4};
    const auto frameTop = [pitch](int frame) { return static_cast<int>(std::floor(frame * pitch)); };
    Image strip(ball.width, frameTop(kSwitchFrames - 1) + ball.height, kTransparent);
    for (int frame = 0; frame < kSwitchFrames; ++frame) {
        const int top = frameTop(frame);
        pasteTransparent(strip, ball, 0, top);
        const Point corner = handleCorner(angles[frame], pitch, handle.width);
        pasteTransparent(strip, handle, corner.x, top + corner.y);
    }
    return strip;
}

}  // namespace artgen
