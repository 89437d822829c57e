#pragma once

#include <functional>
#include <string>

struct AppServices;
class LinkMode;

// The FM parameters of the document: base (carrier) frequency, peak deviation, the
// frequency window fmin..fmax they span, and the instrument's allowed ranges. Rebuilt
// from the family and context files at creation and at every reload.
class FmSettings {
public:
    using CommandSender = std::function<void(const std::string& command)>;
    using Notifier = std::function<void()>;
    using TextShower = std::function<void(const std::string& text)>;

    // The mode says whether a deviation is also sent as an instrument command.
    FmSettings(AppServices& services, const LinkMode& mode);

    // Creation in FM mode: function mode, length and frequency limits from the family
    // file, then LoadFmSettings. False when the base lies outside the limits.
    bool LoadLimits();
    // 1 on success, 0 when the base frequency is outside the instrument's limits (message
    // 3000 shown and a close request posted through onCloseRequest).
    int LoadFmSettings();
    // Applies the deviation field's text. Returns the text the field shows afterwards.
    std::string SetDeviationFromField(const std::string& fieldText);
    // Wide-sample variant: the window from the samples in Hz. Returns the deviation
    // field's text and hands it to onDeviationText: in this variant the field shows what
    // the samples span, and a segment switch leaves it alone.
    std::string RecomputeFmWindow(const double* samples, long long length);

    // The deviation as the field shows it: "%10.3f" without trailing zeros.
    std::string DeviationFieldText() const;

    // The values change only through the operations above, which keep the rules
    // (the base inside the limits, the window base +/- deviation inside them too).
    double Base() const { return base_; }
    double Deviation() const { return deviation_; }
    double Fmin() const { return fmin_; }
    double Fmax() const { return fmax_; }
    double LowerLimit() const { return lowerLimit_; }
    double UpperLimit() const { return upperLimit_; }
    double MinLength() const { return minLength_; }
    double MaxLength() const { return maxLength_; }
    // The family's proposed FM waveform length; 0 or less when it names none.
    double Length() const { return length_; }
    int FunctionMode() const { return functionMode_; }
    const LinkMode& Mode() const { return *mode_; }

    CommandSender sendCommand;  // instrument command through the host (":FM:DEV ...")
    Notifier onCloseRequest;    // a close request to the main frame
    Notifier onMarkersChanged;  // rebuild the marker lists and update the views
    TextShower onDeviationText; // the deviation field (control 2001) shows a new text

private:
    bool IsExactG4270() const;
    std::string DeviationKey() const;
    void WriteDeviationKey();
    static std::string TidyDeviation(const char* format, double value);

    AppServices& services_;
    const LinkMode* mode_;
    double base_ = 0.0;
    double deviation_ = 0.0;
    double fmin_ = 0.0;
    double fmax_ = 0.0;
    double lowerLimit_ = 0.0;
    double upperLimit_ = 0.0;
    double minLength_ = 0.0;
    double maxLength_ = 0.0;
    double length_ = 0.0;
    int functionMode_ = 0;
};
