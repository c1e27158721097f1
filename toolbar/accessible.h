#pragma once
// What the toolbar tells assistive technology: names of the element rows'
// controls from their captions, the selectors by their design texts, the
// window as a window.

namespace velmora::toolbar {

class MainFrm;

void DescribeControls(MainFrm &frm);

} // namespace velmora::toolbar
