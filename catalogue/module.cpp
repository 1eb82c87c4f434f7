// Anchor of the tovra_catalogue library; the subsystem's units sit beside it.
namespace tovra { int module_catalogue_anchor = 0; }
