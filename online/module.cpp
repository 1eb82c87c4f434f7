// Anchor of the tovra_online library; the subsystem's units sit beside it.
namespace tovra { int module_online_anchor = 0; }
