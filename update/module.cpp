// Anchor of the tovra_update library; the subsystem's units sit beside it.
namespace tovra { int module_update_anchor = 0; }
