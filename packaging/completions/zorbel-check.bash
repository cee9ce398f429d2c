# bash completion for zorbel-check

_zorbel_check()
{
    local cur prev words cword
    _init_completion || return

    # --export takes a format, then a file.
    if [[ $cword -ge 3 && ${words[cword - 2]} == --export ]]; then
        _filedir
        return
    fi
    case $prev in
        -j | --threads | --host-limit | --retries | -t | --timeout | --max-cache-age)
            return
            ;;
        --export)
            COMPREPLY=($(compgen -W 'text names urls csv csv-folders html html-folders bookmarks' -- "$cur"))
            return
            ;;
        --browser)
            COMPREPLY=($(compgen -W 'firefox chromium chrome brave vivaldi edge' -- "$cur"))
            return
            ;;
        --results | --ca-file)
            _filedir
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-j --threads --host-limit --retries -t --timeout --ca-file
            --export --leave-out-broken --browser --results --update-moved --no-content-checks
            --cache --max-cache-age
            -q --quiet -h --help
            -v --version' -- "$cur"))
        return
    fi
    _filedir
} &&
    complete -F _zorbel_check zorbel-check

# ex: filetype=sh
