#pragma once

#include <QLineEdit>

#include <functional>

// An edit field of the parameter bar (the length and segment/deviation fields). Typed
// text shows in red until it is confirmed; Enter, or leaving the field while modified,
// confirms. An optional character filter drops refused characters with a beep, and an
// optional pop-up menu replaces the standard one on the right button.
class NumericField : public QLineEdit {
    Q_OBJECT
public:
    // Accepts or refuses one typed character.
    using CharacterFilter = std::function<bool(QChar)>;

    explicit NumericField(QWidget* parent = nullptr);

    // A font of the given pixel height, weight (100..900 as the platform counts it,
    // 400 normal) and face, e.g. SetFieldFont(14, 500, "MS Sans Serif").
    void SetFieldFont(int pixelHeight, int weight, const QString& face);
    void SetValidator(CharacterFilter filter);

    // Clears the modified mark after the bar took the text (the text takes the
    // palette's colour again).
    void ClearModifiedMark();
    // Sets the text as the program's own (not modified, in the palette's colour).
    void ShowValue(const QString& text);

    // Ready-made filters: digits only; a decimal number (digits, sign, point, exponent).
    static bool IsDigit(QChar c);
    static bool IsNumberCharacter(QChar c);

signals:
    // Enter, or the focus left the field while it was modified.
    void Confirmed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyTextColour();

    CharacterFilter filter_;
};
