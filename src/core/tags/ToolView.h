#pragma once

// The widget side of a tool window. The window logic owns every value; the widget copies them
// into its controls and back, as the platform's data exchange did.
class IToolView {
public:
    virtual ~IToolView() = default;
    // The logic's fields changed: show them.
    virtual void UpdateControls() = 0;
    // Copies what the user has entered into the logic's fields.
    virtual void StoreControls() = 0;
};
