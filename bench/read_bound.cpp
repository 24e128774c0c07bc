#include "bench/read_bound.h"

#include <immintrin.h>
#include <stdio.h>

#include "measure/measure_kernels.h"

namespace {

// The memory-read bound: the bytes summed, 32 or 16 at a time, as fast as loads go.
__attribute__((target("avx2"))) uint64_t SumBytesAvx2(const unsigned char* p, size_t n) {
    __m256i sum0 = _mm256_setzero_si256(), sum1 = sum0, sum2 = sum0, sum3 = sum0;
    const __m256i zero = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 128 <= n; i += 128) {
        const __m256i* pBlock = reinterpret_cast<const __m256i*>(p + i);
        sum0 = _mm256_add_epi64(sum0, _mm256_sad_epu8(_mm256_loadu_si256(pBlock), zero));
        sum1 = _mm256_add_epi64(sum1, _mm256_sad_epu8(_mm256_loadu_si256(pBlock + 1), zero));
        sum2 = _mm256_add_epi64(sum2, _mm256_sad_epu8(_mm256_loadu_si256(pBlock + 2), zero));
        sum3 = _mm256_add_epi64(sum3, _mm256_sad_epu8(_mm256_loadu_si256(pBlock + 3), zero));
    }
    __m256i sum = _mm256_add_epi64(_mm256_add_epi64(sum0, sum1), _mm256_add_epi64(sum2, sum3));
    uint64_t lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), sum);
    uint64_t nSum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    for (; i < n; ++i) nSum += p[i];
    return nSum;
}

uint64_t SumBytesSse2(const unsigned char* p, size_t n) {
    __m128i sum0 = _mm_setzero_si128(), sum1 = sum0;
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m128i* pBlock = reinterpret_cast<const __m128i*>(p + i);
        sum0 = _mm_add_epi64(sum0, _mm_sad_epu8(_mm_loadu_si128(pBlock), zero));
        sum1 = _mm_add_epi64(sum1, _mm_sad_epu8(_mm_loadu_si128(pBlock + 1), zero));
    }
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), _mm_add_epi64(sum0, sum1));
    uint64_t nSum = lanes[0] + lanes[1];
    for (; i < n; ++i) nSum += p[i];
    return nSum;
}

volatile uint64_t nSink = 0;

bool bReadWithAvx2 = false;

}  // namespace

bool ChooseReadBound() {
    const MeasureKernel* pAvx2 = FindMeasureKernel("avx2");
    bReadWithAvx2 = pAvx2 != nullptr && MeasureKernelRuns(*pAvx2);
    return bReadWithAvx2;
}

void ReadBytes(const void* p, size_t nBytes) {
    const unsigned char* pBytes = static_cast<const unsigned char*>(p);
    nSink = nSink + (bReadWithAvx2 ? SumBytesAvx2(pBytes, nBytes) : SumBytesSse2(pBytes, nBytes));
}

std::string RateText(const Rates& rates) {
    const double kGB = 1e9;
    char szText[32];
    snprintf(szText, sizeof(szText), "%5.2f %4.0f%%", rates.dRate / kGB, 100 * rates.dRate / rates.dBound);
    return szText;
}
