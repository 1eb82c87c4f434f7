// Anchor of the tovra_screens library; the subsystem's units sit beside it.
namespace tovra { int module_screens_anchor = 0; }
