#pragma once
// The splash picture while an export loads, so that a large file does not leave the screen
// empty: how many entries have been read, a bar when the file's size is known, and Cancel.
// It appears only once a load has taken a moment; a small file is read before it would show.

#include <chrono>
#include <memory>
#include <string>

#include "directory/ldif/LdifReader.h"

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vantor {

class LoadingSplash {
  public:
    // source names what is read; the window appears after showAfter.
    explicit LoadingSplash(std::string source,
                           std::chrono::milliseconds showAfter = std::chrono::milliseconds(300));
    ~LoadingSplash();
    LoadingSplash(const LoadingSplash&) = delete;
    LoadingSplash& operator=(const LoadingSplash&) = delete;

    // Shows the progress and lets the user act; false once Cancel was clicked.
    bool Update(const LdifProgress& progress);
    // What the window says now ("" until it has appeared).
    std::string Text() const;
    // The bar's value, or -1 when it shows no share (the size is unknown).
    int Percent() const;
    QPushButton* CancelButton() const { return cancel_; }

  private:
    void Build();

    std::string source_;
    std::chrono::steady_clock::time_point shownFrom_;
    std::unique_ptr<QDialog> dialog_;
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace vantor
