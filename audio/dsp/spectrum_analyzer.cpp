#include "audio/dsp/spectrum_analyzer.h"

#include "audio/dsp/fftw_api.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <new>
#include <type_traits>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct FftwFree {
    void operator()(void *p) const { fftwf_free(p); }
};

struct FftwPlanDestroy {
    void operator()(fftwf_plan p) const { fftwf_destroy_plan(p); }
};

using PlanHandle = std::unique_ptr<std::remove_pointer_t<fftwf_plan>, FftwPlanDestroy>;

}  // namespace

// One FFT size: aligned buffers and the plan bound to them.
struct SpectrumAnalyzer::Plan {
    explicit Plan(int n)
        : in(fftwf_alloc_real(static_cast<size_t>(n))),
          out(fftwf_alloc_complex(static_cast<size_t>(n / 2 + 1))),
          plan(in && out ? fftwf_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE) : nullptr) {
        if (!plan)
            throw std::bad_alloc();
    }

    // Declared before the plan so the plan goes first on destruction.
    std::unique_ptr<float[], FftwFree> in;
    std::unique_ptr<fftwf_complex[], FftwFree> out;
    PlanHandle plan;
};

SpectrumAnalyzer::SpectrumAnalyzer(int windowSize, FftWindow window)
    : size_(supportedSize(windowSize)), window_(window) {
    clear();
}

SpectrumAnalyzer::~SpectrumAnalyzer() = default;

int SpectrumAnalyzer::supportedSize(int size) {
    int best = kMinSize;
    for (int candidate = kMinSize; candidate <= kMaxSize; candidate *= 2) {
        if (std::abs(candidate - size) < std::abs(best - size))
            best = candidate;
    }
    return best;
}

void SpectrumAnalyzer::setWindowSize(int size) {
    const int supported = supportedSize(size);
    if (supported == size_)
        return;
    size_ = supported;
    clear();
}

void SpectrumAnalyzer::setWindow(FftWindow window) {
    window_ = window;
}

void SpectrumAnalyzer::clear() {
    hasResult_ = false;
    magnitudes_.assign(static_cast<size_t>(binCount()), 0.0f);
    magnitudesDb_.assign(static_cast<size_t>(binCount()), kFloorDb);
    dbStale_ = false;
}

float SpectrumAnalyzer::toDb(float amplitude) {
    static const float floorAmplitude = std::pow(10.0f, kFloorDb / 20.0f);
    return amplitude > floorAmplitude ? 20.0f * std::log10(amplitude) : kFloorDb;
}

// The display takes the loudest bin of each column and converts that alone, so the
// logarithms of every bin wait until someone asks for them.
const std::vector<float> &SpectrumAnalyzer::magnitudesDb() const {
    if (dbStale_) {
        magnitudesDb_.resize(magnitudes_.size());
        std::transform(magnitudes_.begin(), magnitudes_.end(), magnitudesDb_.begin(), toDb);
        dbStale_ = false;
    }
    return magnitudesDb_;
}

std::vector<float> SpectrumAnalyzer::windowCoefficients(FftWindow window, int length) {
    std::vector<float> w(static_cast<size_t>(std::max(length, 0)), 1.0f);
    const double half = length / 2.0;
    for (int n = 0; n < length; ++n) {
        double value = 1.0;
        switch (window) {
            case FftWindow::None:
                break;
            case FftWindow::Welch: {
                const double x = (n - half) / half;
                value = 1.0 - x * x;
                break;
            }
            case FftWindow::Barlett:
                value = 1.0 - std::abs(n - half) / half;
                break;
            case FftWindow::Hanning:
                value = 0.5 - 0.5 * std::cos(2.0 * kPi * n / length);
                break;
            case FftWindow::Hamming:
                value = 0.54 - 0.46 * std::cos(2.0 * kPi * n / length);
                break;
        }
        w[static_cast<size_t>(n)] = static_cast<float>(value);
    }
    return w;
}

SpectrumAnalyzer::Plan &SpectrumAnalyzer::planFor(int size) {
    auto &slot = plans_[size];
    if (!slot)
        slot = std::make_unique<Plan>(size);
    return *slot;
}

bool SpectrumAnalyzer::analyze(const SampleArray &block) {
    if (block.isEmpty()) {
        clear();
        return false;
    }
    // Without FFTW there is no spectrum, and the rest of the program works on.
    static const bool fftwLoaded = [] {
        QString error;
        if (korvanta::loadFftwApi(&error) != nullptr)
            return true;
        qWarning("%s", qPrintable(error));
        return false;
    }();
    if (!fftwLoaded) {
        clear();
        return false;
    }
    const int n = size_;
    Plan &plan = planFor(n);

    const int channels = block.channels();
    const int frames = std::min(block.frames(), n);
    if (frames <= 0) {
        clear();
        return false;
    }
    if (frames != coefficientsLength_ || window_ != coefficientsWindow_) {
        coefficients_ = windowCoefficients(window_, frames);
        double sum = 0.0;
        for (float c : coefficients_)
            sum += c;
        // Very short blocks can make a tapering window vanish altogether.
        if (sum < 1e-6) {
            std::fill(coefficients_.begin(), coefficients_.end(), 1.0f);
            sum = frames;
        }
        coefficientsSum_ = static_cast<float>(sum);
        coefficientsLength_ = frames;
        coefficientsWindow_ = window_;
    }

    // Mono mix of the newest frames, scaled so that full scale is 1.0.
    const int16_t *src = block.data() + (block.frames() - frames) * channels;
    const float scale = 1.0f / (32768.0f * static_cast<float>(channels));
    float *in = plan.in.get();
    for (int i = 0; i < frames; ++i) {
        int sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += src[i * channels + c];
        in[i] = static_cast<float>(sum) * scale * coefficients_[static_cast<size_t>(i)];
    }
    std::fill(in + frames, in + n, 0.0f);

    fftwf_execute(plan.plan.get());

    const int bins = binCount();
    magnitudes_.resize(static_cast<size_t>(bins));
    const fftwf_complex *out = plan.out.get();
    const float norm = 2.0f / coefficientsSum_;
    for (int k = 0; k < bins; ++k) {
        // DC and Nyquist have no mirror image, so they carry the amplitude once.
        const float factor = (k == 0 || k == n / 2) ? norm / 2.0f : norm;
        // A bin sums a few thousand samples of at most 1.0, whose square is far from a
        // float's limit: the plain root is enough (hypot guards against overflow at several
        // times the cost).
        const float re = out[k][0];
        const float im = out[k][1];
        magnitudes_[static_cast<size_t>(k)] = std::sqrt(re * re + im * im) * factor;
    }
    dbStale_ = true;
    hasResult_ = true;
    return true;
}

int SpectrumAnalyzer::peakBin() const {
    if (!hasResult_ || magnitudes_.size() < 2)
        return -1;
    const auto it = std::max_element(magnitudes_.begin() + 1, magnitudes_.end());
    return static_cast<int>(it - magnitudes_.begin());
}
