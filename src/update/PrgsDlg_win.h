// The self-update's download progress dialog.
#pragma once

namespace zarn {

class CPrgsDlg {};

} // namespace zarn
