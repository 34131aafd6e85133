// Four single-precision lanes in one register: SSE2 on x86, NEON on aarch64, so that the
// engine's kernels are written once for both. Each operation is one IEEE operation per lane,
// rounded to nearest, and gives the same bits on both instruction sets. Multiplications and
// additions stay separate instructions only because the build passes -ffp-contract=off: GCC
// would otherwise fuse a NEON multiply and add into one fmla, rounded once instead of twice.
#pragma once

#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__ARM_NEON)
#include <arm_neon.h>
#else
#error "the engine's lanes need SSE2 (x86) or NEON (aarch64)"
#endif

struct Int4 {
#if defined(__SSE2__)
    __m128i v;

    static Int4 of(const std::array<std::int32_t, 4>& a) { return {_mm_setr_epi32(a[0], a[1], a[2], a[3])}; }
    friend Int4 operator&(Int4 a, Int4 b) { return {_mm_and_si128(a.v, b.v)}; }
    // ~a & b in one instruction.
    friend Int4 andNot(Int4 a, Int4 b) { return {_mm_andnot_si128(a.v, b.v)}; }
    // Lane N, whose value must lie in 0..65535: SSE2 extracts 16 bits in one instruction.
    template <int N>
    std::int32_t smallLane() const {
        return _mm_extract_epi16(v, 2 * N);
    }
#else
    int32x4_t v;

    static Int4 of(const std::array<std::int32_t, 4>& a) { return {vld1q_s32(a.data())}; }
    friend Int4 operator&(Int4 a, Int4 b) { return {vandq_s32(a.v, b.v)}; }
    friend Int4 andNot(Int4 a, Int4 b) { return {vbicq_s32(b.v, a.v)}; }
    template <int N>
    std::int32_t smallLane() const {
        return vgetq_lane_s32(v, N);
    }
#endif
};

struct Float4 {
#if defined(__SSE2__)
    __m128 v;

    static Float4 all(float x) { return {_mm_set1_ps(x)}; }
    static Float4 of(float a, float b, float c, float d) { return {_mm_setr_ps(a, b, c, d)}; }
    static Float4 load(const float* p) { return {_mm_loadu_ps(p)}; }
    void store(float* p) const { _mm_storeu_ps(p, v); }

    // Left and right in lanes 0 and 1; the other two lanes are left unspecified.
    static Float4 pair(float left, float right) { return {_mm_unpacklo_ps(_mm_set_ss(left), _mm_set_ss(right))}; }
    // Lanes 0 and 1 repeated in lanes 2 and 3, and lanes 2 and 3 moved down to 0 and 1.
    Float4 lowTwice() const { return {_mm_movelh_ps(v, v)}; }
    Float4 highTwice() const { return {_mm_movehl_ps(v, v)}; }
    float first() const { return _mm_cvtss_f32(v); }
    float second() const { return _mm_cvtss_f32(_mm_shuffle_ps(v, v, 1)); }
    // Lanes 0 and 1 exchanged (left for right), 2 and 3 likewise.
    Float4 swappedPairs() const { return {_mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1))}; }
    // Lane 2 plus lane 3. Each is moved down by an integer shuffle, which writes a register of
    // its own where a float shuffle would first need a copy of this one.
    float highPairSum() const {
        const __m128i bits = _mm_castps_si128(v);
        const __m128 two = _mm_castsi128_ps(_mm_shuffle_epi32(bits, _MM_SHUFFLE(2, 2, 2, 2)));
        const __m128 three = _mm_castsi128_ps(_mm_shuffle_epi32(bits, _MM_SHUFFLE(3, 3, 3, 3)));
        return _mm_cvtss_f32(_mm_add_ss(two, three));
    }
    // Lanes 0 and 1 of a and b interleaved (a0, b0, a1, b1), and lanes 2 and 3 likewise.
    static Float4 zipLow(Float4 a, Float4 b) { return {_mm_unpacklo_ps(a.v, b.v)}; }
    static Float4 zipHigh(Float4 a, Float4 b) { return {_mm_unpackhi_ps(a.v, b.v)}; }

    // Rounded toward zero, for values in the int32 range (both instruction sets differ only
    // outside it); and back, exactly for values below 2^24.
    Int4 truncated() const { return {_mm_cvttps_epi32(v)}; }
    static Float4 from(Int4 i) { return {_mm_cvtepi32_ps(i.v)}; }

    friend Float4 operator+(Float4 a, Float4 b) { return {_mm_add_ps(a.v, b.v)}; }
    friend Float4 operator-(Float4 a, Float4 b) { return {_mm_sub_ps(a.v, b.v)}; }
    friend Float4 operator*(Float4 a, Float4 b) { return {_mm_mul_ps(a.v, b.v)}; }
    // Bitwise: joins values that masks with no lane in common have picked.
    friend Float4 operator|(Float4 a, Float4 b) { return {_mm_or_ps(a.v, b.v)}; }
#else
    float32x4_t v;

    static Float4 all(float x) { return {vdupq_n_f32(x)}; }
    static Float4 of(float a, float b, float c, float d) { return {float32x4_t{a, b, c, d}}; }
    static Float4 load(const float* p) { return {vld1q_f32(p)}; }
    void store(float* p) const { vst1q_f32(p, v); }

    static Float4 pair(float left, float right) {
        const float32x2_t both{left, right};
        return {vcombine_f32(both, both)};
    }
    Float4 lowTwice() const { return {vcombine_f32(vget_low_f32(v), vget_low_f32(v))}; }
    Float4 highTwice() const { return {vcombine_f32(vget_high_f32(v), vget_high_f32(v))}; }
    float first() const { return vgetq_lane_f32(v, 0); }
    float second() const { return vgetq_lane_f32(v, 1); }
    Float4 swappedPairs() const { return {vrev64q_f32(v)}; }
    float highPairSum() const { return vgetq_lane_f32(v, 2) + vgetq_lane_f32(v, 3); }
    static Float4 zipLow(Float4 a, Float4 b) { return {vzip1q_f32(a.v, b.v)}; }
    static Float4 zipHigh(Float4 a, Float4 b) { return {vzip2q_f32(a.v, b.v)}; }

    Int4 truncated() const { return {vcvtq_s32_f32(v)}; }
    static Float4 from(Int4 i) { return {vcvtq_f32_s32(i.v)}; }

    friend Float4 operator+(Float4 a, Float4 b) { return {vaddq_f32(a.v, b.v)}; }
    friend Float4 operator-(Float4 a, Float4 b) { return {vsubq_f32(a.v, b.v)}; }
    friend Float4 operator*(Float4 a, Float4 b) { return {vmulq_f32(a.v, b.v)}; }
    friend Float4 operator|(Float4 a, Float4 b) {
        return {vreinterpretq_f32_u32(vorrq_u32(vreinterpretq_u32_f32(a.v), vreinterpretq_u32_f32(b.v)))};
    }
#endif
};

// All ones in the lanes where a condition holds, all zeros elsewhere.
struct Mask4 {
#if defined(__SSE2__)
    __m128 v;

    static Mask4 of(const std::array<bool, 4>& c) {
        return {_mm_castsi128_ps(_mm_setr_epi32(-c[0], -c[1], -c[2], -c[3]))};
    }
    // The lanes of x where the mask is set, +0.0 elsewhere.
    friend Float4 operator&(Mask4 m, Float4 x) { return {_mm_and_ps(m.v, x.v)}; }
    friend Float4 select(Mask4 m, Float4 whereSet, Float4 elsewhere) {
        return {_mm_or_ps(_mm_and_ps(m.v, whereSet.v), _mm_andnot_ps(m.v, elsewhere.v))};
    }
#else
    uint32x4_t v;

    static Mask4 of(const std::array<bool, 4>& c) {
        return {uint32x4_t{0u - c[0], 0u - c[1], 0u - c[2], 0u - c[3]}};
    }
    friend Float4 operator&(Mask4 m, Float4 x) {
        return {vreinterpretq_f32_u32(vandq_u32(m.v, vreinterpretq_u32_f32(x.v)))};
    }
    friend Float4 select(Mask4 m, Float4 whereSet, Float4 elsewhere) {
        return {vbslq_f32(m.v, whereSet.v, elsewhere.v)};
    }
#endif
};

// Ordered: false in lanes where either value is NaN, on both instruction sets.
inline Mask4 operator>=(Float4 a, Float4 b) {
#if defined(__SSE2__)
    return {_mm_cmpge_ps(a.v, b.v)};
#else
    return {vcgeq_f32(a.v, b.v)};
#endif
}

// Lanes whose magnitude is below the limit's; false for NaN, on both instruction sets.
inline Mask4 magnitudeBelow(Float4 a, Float4 limit) {
#if defined(__SSE2__)
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), a.v);
    return {_mm_cmplt_ps(magnitude, limit.v)};
#else
    return {vcaltq_f32(a.v, limit.v)};
#endif
}

// Lanes equal to zero, of either sign; false for NaN.
inline Mask4 isZero(Float4 a) {
#if defined(__SSE2__)
    return {_mm_cmpeq_ps(a.v, _mm_setzero_ps())};
#else
    return {vceqzq_f32(a.v)};
#endif
}

// Whether every bit of every lane is zero: all four are +0.0.
inline bool allBitsZero(Float4 a) {
#if defined(__SSE2__)
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_castps_si128(a.v), _mm_setzero_si128())) == 0xFFFF;
#else
    return vmaxvq_u32(vreinterpretq_u32_f32(a.v)) == 0;
#endif
}

inline Mask4 operator&(Mask4 a, Mask4 b) {
#if defined(__SSE2__)
    return {_mm_and_ps(a.v, b.v)};
#else
    return {vandq_u32(a.v, b.v)};
#endif
}

// Whether the condition holds in any lane.
inline bool any(Mask4 m) {
#if defined(__SSE2__)
    return _mm_movemask_ps(m.v) != 0;
#else
    return vmaxvq_u32(m.v) != 0;
#endif
}
