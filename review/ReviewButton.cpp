#include <chrono>

#include "app/TowerWindow.h"
#include "review/ReviewDialog.h"

// The review looks at a copy of the touches: strikes still arrive while it
// is open, and the recorder goes on recording them.
void TowerWindow::OnReview() {
    std::vector<Touch> touches;
    for (const Touch* touch : recorder.Touches()) touches.push_back(*touch);
    ReviewDialog review(std::move(touches), session.ownName, recorder.Ringing(std::chrono::steady_clock::now()));
    review.DoModal();
}
