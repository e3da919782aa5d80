// The converter in a web page: the form over the page's own controls. The page (index.html)
// holds the elements, named as the form's controls; main builds the form over them and
// returns, and from then on the page's events drive it.
#include "core/ftarvel.h"
#include "platform/web/web_controls.h"

namespace {

using namespace tarvel::platform::web;

// The controls and the form live as long as the page; the form is declared last, so it
// would go first and unwire itself.
struct Page {
    WebList List1{"List1"};
    WebList Combo1{"Combo1"};
    WebList Combo2{"Combo2"};
    WebText UA{"UA"};
    WebText UB{"UB"};
    tarvel::platform::FacedMessageLine<WebLabel> Label1{"Label1"};
    WebButton Command1{"Command1"};
    WebRuntime runtime;
    tarvel::core::fTarvel form{{List1, Combo1, Combo2, UA, UB, Label1.access, Command1}, runtime};
};

}  // namespace

int main() {
    static Page page;
    eventHandled();  // the message that stands after the start-up is shown
    return 0;
}
