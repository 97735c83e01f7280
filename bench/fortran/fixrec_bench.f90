! Formatted record throughput of the GNU Fortran runtime, the yardstick for
! bench/fixrec_bench.cpp: the same four phases, formats, values and record
! counts, through a real file in a scratch directory under /tmp.
!
! Each phase prints one line:   <phase> <records> <seconds> <records per second>
!
! The label is the 39-byte ASCII transliteration of the C++ side's 39-character
! code page 866 label (this source is UTF-8, where a Cyrillic letter would take
! two bytes).  Both runtimes copy a literal byte for byte, so what matters is
! that a record has the same length on both sides: 2 blanks and 39 label bytes
! before the value field, which "(41X,E16.5)" then reads.  The unit tail
! ' (m)' stands for the 4 bytes of ' (м)' likewise.
!
! Usage: fixrec_bench_fortran [records]     (default 1000000)
program fixrec_bench_fortran
    use, intrinsic :: iso_c_binding, only: c_char, c_int, c_ptr, c_null_char, c_associated
    use, intrinsic :: iso_fortran_env, only: int64, real64, error_unit
    use, intrinsic :: ieee_arithmetic, only: ieee_is_nan
    implicit none

    interface
        function mkdtemp(template) bind(c, name='mkdtemp') result(p)
            import :: c_char, c_ptr
            character(kind=c_char), dimension(*), intent(inout) :: template
            type(c_ptr) :: p
        end function mkdtemp
        function rmdir(path) bind(c, name='rmdir') result(r)
            import :: c_char, c_int
            character(kind=c_char), dimension(*), intent(in) :: path
            integer(c_int) :: r
        end function rmdir
    end interface

    integer, parameter :: nvalues = 4096
    character(len=*), parameter :: value_line = &
        "(2X,'GLUBINA VORONKI NAD SLIVNYM OTVERSTIEM:',E16.5,' (m)')"
    character(len=*), parameter :: value_field = '(41X,E16.5)'
    character(len=*), parameter :: profile_row = '(6X,E12.5,6X,E12.5,6X,E12.5)'

    real :: v(0:nvalues - 1)
    integer(int64) :: nrecords
    character(kind=c_char, len=25) :: tmpl
    character(len=:), allocatable :: dir, value_path, profile_path
    character(len=32) :: arg
    integer :: u, ios

    nrecords = 1000000_int64
    if (command_argument_count() >= 1) then
        call get_command_argument(1, arg)
        read (arg, *, iostat=ios) nrecords
        if (ios /= 0 .or. nrecords < 1) then
            write (error_unit, '(A)') 'usage: fixrec_bench_fortran [records]'
            stop 2
        end if
    end if

    call make_values(v)

    tmpl = '/tmp/fixrec_bench.XXXXXX' // c_null_char
    if (.not. c_associated(mkdtemp(tmpl))) then
        write (error_unit, '(A)') 'mkdtemp failed'
        stop 1
    end if
    dir = tmpl(1:len(tmpl) - 1)
    value_path = dir // '/VALUES.DAT'
    profile_path = dir // '/PROFILE.DAT'

    call write_value_lines(value_path)
    call read_value_lines(value_path)
    call write_profile_rows(profile_path)
    call read_profile_rows(profile_path)

    open (newunit=u, file=value_path, status='old', iostat=ios)
    if (ios == 0) close (u, status='delete')
    open (newunit=u, file=profile_path, status='old', iostat=ios)
    if (ios == 0) close (u, status='delete')
    if (rmdir(tmpl) /= 0) write (error_unit, '(A)') 'cannot remove ' // dir

contains

    ! Log-uniform magnitudes in 1e-6..1e6 with random signs, from the
    ! minimal-standard Lehmer generator (48271, 2**31-1) and the same seed as
    ! the C++ side, so that both edit the same values.
    subroutine make_values(x)
        real, intent(out) :: x(0:)
        integer(int64) :: state
        real(real64) :: magnitude
        integer :: k
        state = 20240601_int64
        do k = 0, size(x) - 1
            magnitude = 10.0_real64**(lehmer(state) * 12.0_real64 - 6.0_real64)
            if (lehmer(state) < 0.5_real64) then
                x(k) = real(-magnitude)
            else
                x(k) = real(magnitude)
            end if
        end do
    end subroutine make_values

    ! Advances the generator and returns its new state as a fraction in (0, 1).
    real(real64) function lehmer(state)
        integer(int64), intent(inout) :: state
        state = mod(state * 48271_int64, 2147483647_int64)
        lehmer = real(state, real64) / 2147483647.0_real64
    end function lehmer

    integer(int64) function clock_now(rate)
        integer(int64), intent(out) :: rate
        call system_clock(clock_now, rate)
    end function clock_now

    subroutine report(phase, n, t0, t1, rate)
        character(len=*), intent(in) :: phase
        integer(int64), intent(in) :: n, t0, t1, rate
        real(real64) :: seconds
        seconds = real(t1 - t0, real64) / real(rate, real64)
        write (*, '(A,1X,I0,1X,F0.6,1X,F0.1)') phase, n, seconds, real(n, real64) / seconds
    end subroutine report

    subroutine write_value_lines(path)
        character(len=*), intent(in) :: path
        integer(int64) :: i, t0, t1, rate
        integer :: unit
        t0 = clock_now(rate)
        open (newunit=unit, file=path, status='replace', action='write', form='formatted')
        do i = 0, nrecords - 1
            write (unit, value_line) v(mod(i, nvalues))
        end do
        close (unit)
        t1 = clock_now(rate)
        call report('write_value_lines', nrecords, t0, t1, rate)
    end subroutine write_value_lines

    subroutine read_value_lines(path)
        character(len=*), intent(in) :: path
        integer(int64) :: n, t0, t1, rate
        integer :: unit, stat
        real :: x
        real(real64) :: total
        total = 0
        n = 0
        t0 = clock_now(rate)
        open (newunit=unit, file=path, status='old', action='read', form='formatted')
        do
            read (unit, value_field, iostat=stat) x
            if (stat /= 0) exit
            total = total + x
            n = n + 1
        end do
        close (unit)
        t1 = clock_now(rate)
        if (n /= nrecords) then
            write (error_unit, '(A,I0)') 'read_value_lines: records read: ', n
            stop 1
        end if
        call report('read_value_lines', n, t0, t1, rate)
        if (ieee_is_nan(total)) write (error_unit, '(A)') 'NaN in the value file'
    end subroutine read_value_lines

    subroutine write_profile_rows(path)
        character(len=*), intent(in) :: path
        integer(int64) :: i, k, t0, t1, rate
        integer :: unit
        t0 = clock_now(rate)
        open (newunit=unit, file=path, status='replace', action='write', form='formatted')
        do i = 0, nrecords - 1
            k = 3 * i
            write (unit, profile_row) v(mod(k, nvalues)), v(mod(k + 1, nvalues)), &
                v(mod(k + 2, nvalues))
        end do
        close (unit)
        t1 = clock_now(rate)
        call report('write_profile_rows', nrecords, t0, t1, rate)
    end subroutine write_profile_rows

    subroutine read_profile_rows(path)
        character(len=*), intent(in) :: path
        integer(int64) :: n, t0, t1, rate
        integer :: unit, stat
        real :: a, b, c
        real(real64) :: total
        total = 0
        n = 0
        t0 = clock_now(rate)
        open (newunit=unit, file=path, status='old', action='read', form='formatted')
        do
            read (unit, profile_row, iostat=stat) a, b, c
            if (stat /= 0) exit
            total = total + a + b + c
            n = n + 1
        end do
        close (unit)
        t1 = clock_now(rate)
        if (n /= nrecords) then
            write (error_unit, '(A,I0)') 'read_profile_rows: records read: ', n
            stop 1
        end if
        call report('read_profile_rows', n, t0, t1, rate)
        if (ieee_is_nan(total)) write (error_unit, '(A)') 'NaN in the profile file'
    end subroutine read_profile_rows

end program fixrec_bench_fortran
