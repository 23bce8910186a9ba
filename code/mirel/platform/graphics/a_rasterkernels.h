#pragma once
// The eight-pixel blend of the AVX2 kernels, shared by the span blender and
// the sampler's fused sample-and-blend rows (x86 only).

#include "mirel/platform/graphics/a_raster.h"
#include "mirel/platform/graphics/a_texelmix.h"

#include <immintrin.h>

// The constants of the eight-pixel blend: 127, 255 and 0x8081 in every
// 16-bit lane. A loop short of registers makes them once, held.
struct aBlendConstantsAvx2 {
    __m256i k127, k255, k8081;
};

__attribute__((target("avx2"))) inline aBlendConstantsAvx2 a_blendConstantsAvx2() {
    return aBlendConstantsAvx2{_mm256_set1_epi16(127), _mm256_set1_epi16(255),
                               _mm256_set1_epi16(short(0x8081))};
}

__attribute__((target("avx2"))) inline aBlendConstantsAvx2 a_heldBlendConstantsAvx2() {
    const aBlendConstantsAvx2 k = a_blendConstantsAvx2();
    return aBlendConstantsAvx2{aTexel::held(k.k127), aTexel::held(k.k255), aTexel::held(k.k8081)};
}

// floor(x / 255) for every 16-bit lane (exact for 0..65535).
__attribute__((target("avx2"))) inline __m256i a_div255Avx2(__m256i x, __m256i k8081) {
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, k8081), 7);
}

__attribute__((target("avx2"))) inline __m256i a_alpha16Avx2(__m256i s16) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3)),
                                  _MM_SHUFFLE(3, 3, 3, 3));
}

// Eight pixels of the blend (without the shortcuts for opaque or clear groups).
__attribute__((target("avx2"))) inline __m256i
a_blend8Avx2(__m256i s, __m256i d, bool white, __m256i c16, const aBlendOp& op,
             const aBlendConstantsAvx2& k = a_blendConstantsAvx2()) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i k127 = k.k127;
    const __m256i k255 = k.k255;
    __m256i slo = _mm256_unpacklo_epi8(s, zero);
    __m256i shi = _mm256_unpackhi_epi8(s, zero);
    if (!white) {
        slo = a_div255Avx2(_mm256_add_epi16(_mm256_mullo_epi16(slo, c16), k127), k.k8081);
        shi = a_div255Avx2(_mm256_add_epi16(_mm256_mullo_epi16(shi, c16), k127), k.k8081);
    }
    if (op.kind == aBlendOp::Opaque) {
        return white ? s : _mm256_packus_epi16(slo, shi);
    }
    if (op.kind == aBlendOp::Normal) {
        // Untinted, each pixel's alpha comes straight from its texel byte
        // (bytes 3, 7 of each 128-bit half for the low pixels, 11, 15 for the
        // high ones), widened to 16 bits: one shuffle per half.
        const __m256i alo = white
                                ? _mm256_shuffle_epi8(s, _mm256_set_epi32(int(0xFF07FF07u), int(0xFF07FF07u),
                                                                          int(0xFF03FF03u), int(0xFF03FF03u),
                                                                          int(0xFF07FF07u), int(0xFF07FF07u),
                                                                          int(0xFF03FF03u), int(0xFF03FF03u)))
                                : a_alpha16Avx2(slo);
        const __m256i ahi = white
                                ? _mm256_shuffle_epi8(s, _mm256_set_epi32(int(0xFF0FFF0Fu), int(0xFF0FFF0Fu),
                                                                          int(0xFF0BFF0Bu), int(0xFF0BFF0Bu),
                                                                          int(0xFF0FFF0Fu), int(0xFF0FFF0Fu),
                                                                          int(0xFF0BFF0Bu), int(0xFF0BFF0Bu)))
                                : a_alpha16Avx2(shi);
        const __m256i tlo =
            _mm256_add_epi16(_mm256_mullo_epi16(slo, alo),
                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(k255, alo)));
        const __m256i thi =
            _mm256_add_epi16(_mm256_mullo_epi16(shi, ahi),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(k255, ahi)));
        return _mm256_packus_epi16(a_div255Avx2(_mm256_add_epi16(tlo, k127), k.k8081),
                                   a_div255Avx2(_mm256_add_epi16(thi, k127), k.k8081));
    }
    const __m256i lo =
        a_div255Avx2(_mm256_add_epi16(_mm256_mullo_epi16(slo, a_alpha16Avx2(slo)), k127), k.k8081);
    const __m256i hi =
        a_div255Avx2(_mm256_add_epi16(_mm256_mullo_epi16(shi, a_alpha16Avx2(shi)), k127), k.k8081);
    return _mm256_adds_epu8(d, _mm256_packus_epi16(lo, hi));
}

// The same for sixteen pixels with AVX-512 (F and BW).
__attribute__((target("avx512f,avx512bw"))) inline __m512i a_div255Avx512(__m512i x) {
    return _mm512_srli_epi16(_mm512_mulhi_epu16(x, _mm512_set1_epi16(short(0x8081))), 7);
}

__attribute__((target("avx512f,avx512bw"))) inline __m512i a_alpha16Avx512(__m512i s16) {
    return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3)),
                                  _MM_SHUFFLE(3, 3, 3, 3));
}

__attribute__((target("avx512f,avx512bw"))) inline __m512i a_blend16Avx512(__m512i s, __m512i d, bool white,
                                                                           __m512i c16, const aBlendOp& op) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i k127 = _mm512_set1_epi16(127);
    const __m512i k255 = _mm512_set1_epi16(255);
    __m512i slo = _mm512_unpacklo_epi8(s, zero);
    __m512i shi = _mm512_unpackhi_epi8(s, zero);
    if (!white) {
        slo = a_div255Avx512(_mm512_add_epi16(_mm512_mullo_epi16(slo, c16), k127));
        shi = a_div255Avx512(_mm512_add_epi16(_mm512_mullo_epi16(shi, c16), k127));
    }
    if (op.kind == aBlendOp::Opaque) {
        return white ? s : _mm512_packus_epi16(slo, shi);
    }
    if (op.kind == aBlendOp::Normal) {
        const __m512i alo =
            white ? _mm512_shuffle_epi8(s, _mm512_set4_epi32(int(0xFF07FF07u), int(0xFF07FF07u),
                                                             int(0xFF03FF03u), int(0xFF03FF03u)))
                  : a_alpha16Avx512(slo);
        const __m512i ahi =
            white ? _mm512_shuffle_epi8(s, _mm512_set4_epi32(int(0xFF0FFF0Fu), int(0xFF0FFF0Fu),
                                                             int(0xFF0BFF0Bu), int(0xFF0BFF0Bu)))
                  : a_alpha16Avx512(shi);
        const __m512i tlo =
            _mm512_add_epi16(_mm512_mullo_epi16(slo, alo),
                             _mm512_mullo_epi16(_mm512_unpacklo_epi8(d, zero), _mm512_sub_epi16(k255, alo)));
        const __m512i thi =
            _mm512_add_epi16(_mm512_mullo_epi16(shi, ahi),
                             _mm512_mullo_epi16(_mm512_unpackhi_epi8(d, zero), _mm512_sub_epi16(k255, ahi)));
        return _mm512_packus_epi16(a_div255Avx512(_mm512_add_epi16(tlo, k127)),
                                   a_div255Avx512(_mm512_add_epi16(thi, k127)));
    }
    const __m512i lo = a_div255Avx512(_mm512_add_epi16(_mm512_mullo_epi16(slo, a_alpha16Avx512(slo)), k127));
    const __m512i hi = a_div255Avx512(_mm512_add_epi16(_mm512_mullo_epi16(shi, a_alpha16Avx512(shi)), k127));
    return _mm512_adds_epu8(d, _mm512_packus_epi16(lo, hi));
}
