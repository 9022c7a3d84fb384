#pragma once

// The widget side of a configuration page. The page logic owns every value; the widget only
// copies them into its controls and back.
class IPageView {
public:
    virtual ~IPageView() = default;
    // Copies the page's fields (controls, status line, progress) into the widgets.
    virtual void UpdateControls() = 0;
    // Copies what the user has entered into the page's fields.
    virtual void StoreControls() = 0;
    // Only the progress bar changed.
    virtual void UpdateProgress() = 0;
};
