// The small window that shows how far a batch of work has come while its caller's loop runs
// without handing messages to the windows.
#pragma once

#include <string>

#include "framework/Form.h"
#include "framework/Handles.h"

class TFormProgress : public TForm {
public:
    static constexpr int kClientWidth = 400, kClientHeight = 80;

    TFormProgress();
    ~TFormProgress() override { DestroyHandle(); }

    void SetProgressMax(int maximum);
    // The label's text (two lines fit) and the bar's position, painted at once.
    void SetProgress(const std::string& text, int position);

    TControl* Label1 = nullptr;
    TControl* ProgressBar1 = nullptr;

protected:
    void FormCreate() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
};

// The program's single progress window, made and shown (not modally) by CreateProgressForm and
// gone after ReleaseProgressForm; the other calls do nothing without it.
TFormProgress& CreateProgressForm();
TFormProgress* FormProgress();
void SetProgressMax(int maximum);
void SetProgress(const std::string& text, int position);
void ReleaseProgressForm();

// The progress window for the length of a scope.
class TProgressScope {
public:
    TProgressScope() { CreateProgressForm(); }
    ~TProgressScope() { ReleaseProgressForm(); }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;
};
