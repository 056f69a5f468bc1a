namespace core { namespace detail {} }
